// The network side of orvane-phonesim: one socket per phone address (its unicast, and every
// datagram it sends), one wildcard socket for broadcast discovery, the control input, the
// fault and flood runs, and the loop that drives them all.
#pragma once

#include "Control.h"
#include "DatagramLog.h"
#include "Options.h"
#include "Phone.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace orvane::sim {

class Simulator : public IPhoneOutput {
  public:
    Simulator(SimOptions options, DatagramLog& log, const IClock& clock);
    ~Simulator() override;
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Binds every socket; false with `error` when one cannot be bound.
    bool Open(std::string& error);
    // Runs until "quit", the end of the control input, or RequestStop. Returns the exit code.
    int Run();
    // Safe from a signal handler.
    static void RequestStop();

    // Executes one control line (also used by tests). False on a line that does not parse
    // or names no phone of this process.
    bool Control(std::string_view line);

    std::size_t PhoneCount() const { return m_phones.size(); }
    Phone& PhoneAt(std::size_t i) { return *m_phones[i].phone; }
    std::uint16_t PortOf(std::size_t i) const { return m_phones[i].port; }

    // IPhoneOutput
    void SendDatagram(const std::string& fromAddr, const Endpoint& to,
                      const std::string& bytes) override;
    void Note(const std::string& phoneAddr, std::string_view text) override;

    // Outgoing datagrams leave in bursts of at most this many, then one per kPaceMs, so a
    // long list does not overrun the receiver's socket buffer.
    static constexpr int kBurst = 16;
    static constexpr std::int64_t kPaceMs = 1;
    // A fault or flood run logs its first few datagrams; the rest are counted, so the log
    // does not slow a fast run down, and the run's last note gives the rate it reached.
    static constexpr std::uint64_t kLoggedPerRun = 3;

  private:
    struct Slot {
        std::unique_ptr<Phone> phone;
        int fd = -1;
        std::uint16_t port = 0;
    };
    struct Pending {
        std::size_t phone;
        Endpoint to;
        std::string bytes;
    };
    // A stranger host: another address of this machine that sends and listens on the
    // phones' port, so tests can play a hostile host beside the phones.
    struct Stranger {
        std::string addr;
        int fd = -1;
    };
    struct FaultRun {
        std::size_t phone;
        std::string from; // a stranger's address; empty: the phone sends
        std::optional<Endpoint> to;
        bool fault = false;
        FaultKind kind = FaultKind::Garbage;
        std::string bytes;
        std::size_t size = 0;
        long remaining = 0;
        std::uint64_t seq = 0;
        double intervalMs = 10;
        double nextMs = 0;
        std::int64_t startMs = 0;
        std::int64_t lastSendMs = 0;
        std::int64_t endMs = 0;
    };

    std::optional<std::size_t> IndexFor(const std::string& addr) const;
    void ReadSocket(int fd, std::optional<std::size_t> owner);
    void ReadStranger(const Stranger& s);
    // The address a run sends from, for its log lines.
    std::string RunAddress(const FaultRun& run) const;
    // The stranger socket at `addr`, opened on first use; nullptr when it cannot be bound.
    const Stranger* StrangerAt(const std::string& addr);
    void TransmitFrom(int fd, const std::string& addr, const Endpoint& to, const std::string& bytes,
                      bool log);
    void ReadControl();
    void RunTimers();
    void RunFloods();
    void DrainQueue();
    // `log`: false for the datagrams of a run that are only counted.
    void Transmit(std::size_t phone, const Endpoint& to, const std::string& bytes, bool log = true);
    std::int64_t PollTimeoutMs() const;

    SimOptions m_options;
    DatagramLog& m_log;
    const IClock& m_clock;
    std::vector<Slot> m_phones;
    int m_wildcardFd = -1;
    std::deque<Pending> m_queue;
    double m_tokens = kBurst;
    std::int64_t m_lastRefillMs = 0;
    std::vector<FaultRun> m_runs;
    std::vector<Stranger> m_strangers;
    std::string m_controlBuffer;
    bool m_controlOpen = false;
    bool m_quit = false;
};

} // namespace orvane::sim
