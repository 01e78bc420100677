// A fixed table of N records whose storage is made the first time a record is changed.
// The dialog keeps a full table for each list the device may send (3000 calls alone are
// half a megabyte); most sessions never see some of them, and a table that exists from the
// start costs that memory and the time to clear it before the window first shows.
#pragma once

#include <array>
#include <cassert>
#include <cstddef>
#include <memory>

namespace orvane {

template <typename Record, std::size_t N> class RecordTable {
  public:
    static constexpr std::size_t size() { return N; }

    // A record to change: the whole table exists from now on, so a reference stays good
    // for the table's life.
    Record& operator[](std::size_t index) {
        assert(index < N);
        if (!m_records) m_records = std::make_unique<std::array<Record, N>>();
        return (*m_records)[index];
    }
    // A record to read: before any change every record is empty.
    const Record& operator[](std::size_t index) const {
        assert(index < N);
        static const Record kEmpty{};
        return m_records ? (*m_records)[index] : kEmpty;
    }
    // Whether the storage has been made yet.
    bool allocated() const { return m_records != nullptr; }

  private:
    std::unique_ptr<std::array<Record, N>> m_records;
};

} // namespace orvane
