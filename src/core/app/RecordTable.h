// A fixed table of N records whose storage is made in blocks, each the first time one of
// its records is changed. The dialog keeps a full table for each list the device may
// send (3000 calls alone are half a megabyte); most sessions never see some of them, a
// short list touches only its first block, and a table that existed whole from the start
// would cost that memory and the time to clear it (for every list, and every fuzz input).
#pragma once

#include <array>
#include <cassert>
#include <cstddef>
#include <memory>

namespace orvane {

template <typename Record, std::size_t N> class RecordTable {
  public:
    static constexpr std::size_t kBlock = 64; // records per block
    static constexpr std::size_t size() { return N; }

    // A record to read: a record never written is empty. Never makes storage.
    const Record& read(std::size_t index) const {
        assert(index < N);
        static const Record kEmpty{};
        const std::unique_ptr<Block>& block = m_blocks[index / kBlock];
        return block ? (*block)[index % kBlock] : kEmpty;
    }
    // A record to change: its block is made now if it does not exist yet, and stays for
    // the table's life, so the reference stays good.
    Record& write(std::size_t index) {
        assert(index < N);
        std::unique_ptr<Block>& block = m_blocks[index / kBlock];
        if (!block) block = std::make_unique<Block>();
        return (*block)[index % kBlock];
    }
    // Whether any storage has been made yet.
    bool allocated() const {
        for (const std::unique_ptr<Block>& block : m_blocks)
            if (block) return true;
        return false;
    }

  private:
    using Block = std::array<Record, kBlock>;
    std::array<std::unique_ptr<Block>, (N + kBlock - 1) / kBlock> m_blocks;
};

} // namespace orvane
