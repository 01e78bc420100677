// Small types shared by the emulated phone, its network loop and its tests.
#pragma once

#include "Protocol.h"

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace orvane::sim {

// An IPv4 address as dotted text and a UDP port.
struct Endpoint {
    std::string ip;
    std::uint16_t port = 0;

    std::string ToString() const { return ip + ":" + std::to_string(port); }
    bool operator==(const Endpoint& o) const { return ip == o.ip && port == o.port; }
    bool operator!=(const Endpoint& o) const { return !(*this == o); }
};

// "a.b.c.d" in canonical dotted form: the dialer's own test of an address.
using proto::IsDottedIPv4;
bool IsLoopbackIPv4(std::string_view text);
// "a.b.c.d:port"; nullopt when either part is malformed.
std::optional<Endpoint> ParseEndpoint(std::string_view text);

// Where a phone's datagrams and remarks go: the network loop, or a test's recorder.
class IPhoneOutput {
  public:
    virtual ~IPhoneOutput() = default;
    // `bytes` is the whole datagram, its terminating NUL included.
    virtual void SendDatagram(const std::string& fromAddr, const Endpoint& to,
                              const std::string& bytes) = 0;
    // A line for the log: why a datagram was ignored, a login refused, a controller dropped.
    virtual void Note(const std::string& phoneAddr, std::string_view text) = 0;
};

// Time behind a seam so tests can move it.
class IClock {
  public:
    virtual ~IClock() = default;
    virtual std::int64_t NowMs() const = 0;   // monotonic milliseconds
    virtual std::time_t WallTime() const = 0; // seconds since the epoch
};

class SystemClock : public IClock {
  public:
    std::int64_t NowMs() const override;
    std::time_t WallTime() const override;
};

} // namespace orvane::sim
