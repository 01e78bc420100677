// Control lines read from standard input, and the broken datagrams of the fault modes.
#pragma once

#include "SimTypes.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvane::sim {

enum class ControlVerb {
    Send,
    SendTo,
    Raw,
    Ring,
    HangUp,
    Busy,
    Drop,
    Fault,
    Flood,
    Stop,
    Status,
    Quit,
    Listen
};
enum class FaultKind { Empty, Oversize, Nul, Truncated, Garbage };

// The fastest a fault or flood run may send: enough to flood a dialer for a few seconds.
constexpr double kMaxRunRate = 200000;

struct ControlCommand {
    ControlVerb verb = ControlVerb::Status;
    std::string phone;          // "@ADDR"; empty: the first phone
    std::string from;           // "from ADDR": a stranger host at ADDR sends, not the phone
    std::optional<Endpoint> to; // send-to, fault and flood "to="
    std::string bytes;          // send, send-to, raw, flood: the datagram
    std::string arg;            // ring: number
    bool flag = false;          // busy
    FaultKind fault = FaultKind::Garbage;
    long count = 1;
    double rate = 100;       // datagrams per second
    double seconds = 60;     // a run ends after this time at the latest
    std::size_t size = 5000; // oversize datagrams
};

struct ControlResult {
    std::optional<ControlCommand> command;
    std::string error;
};

ControlResult ParseControlLine(std::string_view line);

// The seq-th datagram of a fault run: deterministic, so a failing run can be repeated.
std::string MakeFaultDatagram(FaultKind kind, std::uint64_t seq, std::size_t size);

} // namespace orvane::sim
