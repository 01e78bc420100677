#include "Simulator.h"

#include "Escape.h"
#include "Text.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace orvane::sim {

namespace {

volatile std::sig_atomic_t g_bStop = 0;

constexpr std::size_t kMaxControlLine = 1 << 20;
constexpr std::size_t kMaxRuns = 16;
constexpr int kMaxReadsPerWakeup = 256;
constexpr int kMaxRunSendsPerWakeup = 2000;

std::string ErrnoText() {
    return std::strerror(errno);
}

sockaddr_in MakeAddr(const std::string& ip, std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    inet_pton(AF_INET, ip.c_str(), &a.sin_addr);
    return a;
}

// The limited broadcast, or a directed one (host part all ones, as on a /24); an empty
// text means the destination was not reported, so the datagram counts as broadcast.
bool IsBroadcastAddress(const std::string& dest) {
    return dest.empty() || dest == "255.255.255.255" ||
           (dest.size() > 4 && dest.compare(dest.size() - 4, 4, ".255") == 0);
}

std::string AddrText(const in_addr& a) {
    char buf[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &a, buf, sizeof buf);
    return buf;
}

} // namespace

Simulator::Simulator(SimOptions options, DatagramLog& log, const IClock& clock)
    : m_options(std::move(options)), m_log(log), m_clock(clock) {
    for (const PhoneConfig& cfg : m_options.phones) {
        Slot slot;
        slot.phone = std::make_unique<Phone>(cfg, *this, clock);
        m_phones.push_back(std::move(slot));
    }
    m_lastRefillMs = m_clock.NowMs();
}

Simulator::~Simulator() {
    for (Slot& s : m_phones)
        if (s.fd >= 0) ::close(s.fd);
    for (Stranger& s : m_strangers)
        ::close(s.fd);
    if (m_wildcardFd >= 0) ::close(m_wildcardFd);
}

void Simulator::RequestStop() {
    g_bStop = 1;
}

bool Simulator::Open(std::string& error) {
    bool wildcard = m_options.broadcast && m_options.port != 0 &&
                    std::any_of(m_phones.begin(), m_phones.end(),
                                [](const Slot& s) { return !IsLoopbackIPv4(s.phone->Address()); });
    const int one = 1;
    for (Slot& s : m_phones) {
        const std::string& addr = s.phone->Address();
        s.fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (s.fd < 0) {
            error = "socket: " + ErrnoText();
            return false;
        }
        // The wildcard socket shares the port with the address sockets; without it the
        // bind fails loudly when another program holds the port.
        if (wildcard) ::setsockopt(s.fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in a = MakeAddr(addr, m_options.port);
        if (::bind(s.fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            error =
                "cannot bind " + addr + ":" + std::to_string(m_options.port) + ": " + ErrnoText();
            return false;
        }
        socklen_t len = sizeof a;
        ::getsockname(s.fd, reinterpret_cast<sockaddr*>(&a), &len);
        s.port = ntohs(a.sin_port);
        m_log.Line(addr, "LISTEN",
                   addr + ":" + std::to_string(s.port) + " name=\"" + s.phone->Name() + "\"");
    }
    if (wildcard) {
        m_wildcardFd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (m_wildcardFd < 0) {
            error = "socket: " + ErrnoText();
            return false;
        }
        ::setsockopt(m_wildcardFd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        // The destination address tells a broadcast from a stray unicast.
        ::setsockopt(m_wildcardFd, IPPROTO_IP, IP_PKTINFO, &one, sizeof one);
        sockaddr_in a = MakeAddr("0.0.0.0", m_options.port);
        if (::bind(m_wildcardFd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            error = "cannot bind 0.0.0.0:" + std::to_string(m_options.port) + ": " + ErrnoText();
            return false;
        }
        m_log.Line("*", "LISTEN", "0.0.0.0:" + std::to_string(m_options.port) + " broadcast");
    }
    m_controlOpen = m_options.control;
    m_log.Line("*", "READY", "");
    for (Slot& s : m_phones)
        s.phone->Start();
    return true;
}

std::optional<std::size_t> Simulator::IndexFor(const std::string& addr) const {
    for (std::size_t i = 0; i < m_phones.size(); ++i)
        if (m_phones[i].phone->Address() == addr) return i;
    return std::nullopt;
}

// ---------------------------------------------------------------------------------------
// Output.

void Simulator::SendDatagram(const std::string& fromAddr, const Endpoint& to,
                             const std::string& bytes) {
    auto i = IndexFor(fromAddr);
    if (!i) return;
    m_queue.push_back(Pending{*i, to, bytes});
}

void Simulator::Note(const std::string& phoneAddr, std::string_view text) {
    m_log.Note(phoneAddr, text);
}

void Simulator::Transmit(std::size_t phone, const Endpoint& to, const std::string& bytes,
                         bool log) {
    Slot& s = m_phones[phone];
    TransmitFrom(s.fd, s.phone->Address(), to, bytes, log);
}

void Simulator::TransmitFrom(int fd, const std::string& addr, const Endpoint& to,
                             const std::string& bytes, bool log) {
    sockaddr_in a = MakeAddr(to.ip, to.port);
    ssize_t n = ::sendto(fd, bytes.data(), bytes.size(), MSG_DONTWAIT,
                         reinterpret_cast<sockaddr*>(&a), sizeof a);
    if (n < 0) {
        if (log) m_log.Note(addr, "send to " + to.ToString() + " failed: " + ErrnoText());
    } else if (log) {
        m_log.Out(addr, to, bytes);
    }
}

const Simulator::Stranger* Simulator::StrangerAt(const std::string& addr) {
    for (const Stranger& s : m_strangers)
        if (s.addr == addr) return &s;
    if (IndexFor(addr)) {
        m_log.Line("*", "CONTROL-ERROR", addr + " is a phone, not a stranger");
        return nullptr;
    }
    int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        m_log.Line("*", "CONTROL-ERROR", "socket: " + ErrnoText());
        return nullptr;
    }
    const int one = 1;
    // Beside the wildcard socket on the phones' port: datagrams to this address land here.
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a = MakeAddr(addr, m_options.port);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        m_log.Line("*", "CONTROL-ERROR",
                   "cannot bind " + addr + ":" + std::to_string(m_options.port) + ": " +
                       ErrnoText());
        ::close(fd);
        return nullptr;
    }
    m_strangers.push_back(Stranger{addr, fd});
    m_log.Line(addr, "LISTEN", addr + ":" + std::to_string(m_options.port) + " stranger");
    return &m_strangers.back();
}

void Simulator::ReadStranger(const Stranger& s) {
    static char buf[65536];
    for (int round = 0; round < kMaxReadsPerWakeup; ++round) {
        sockaddr_in src{};
        socklen_t len = sizeof src;
        ssize_t n = ::recvfrom(s.fd, buf, sizeof buf, MSG_DONTWAIT | MSG_TRUNC,
                               reinterpret_cast<sockaddr*>(&src), &len);
        if (n < 0) return;
        std::string_view bytes(buf, std::min(static_cast<std::size_t>(n), sizeof buf));
        // Logged like a phone's input, under the stranger's address; nothing answers.
        m_log.In(s.addr, Endpoint{AddrText(src.sin_addr), ntohs(src.sin_port)}, bytes, false);
    }
}

void Simulator::DrainQueue() {
    std::int64_t now = m_clock.NowMs();
    m_tokens = std::min<double>(kBurst, m_tokens + static_cast<double>(now - m_lastRefillMs) /
                                                       static_cast<double>(kPaceMs));
    m_lastRefillMs = now;
    while (!m_queue.empty() && m_tokens >= 1) {
        Pending p = std::move(m_queue.front());
        m_queue.pop_front();
        Transmit(p.phone, p.to, p.bytes);
        m_tokens -= 1;
    }
}

// ---------------------------------------------------------------------------------------
// Input.

void Simulator::ReadSocket(int fd, std::optional<std::size_t> owner) {
    static char buf[65536];
    for (int round = 0; round < kMaxReadsPerWakeup; ++round) {
        sockaddr_in src{};
        iovec iov{buf, sizeof buf};
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))];
        msghdr msg{};
        msg.msg_name = &src;
        msg.msg_namelen = sizeof src;
        msg.msg_iov = &iov;
        msg.msg_iovlen = 1;
        msg.msg_control = control;
        msg.msg_controllen = sizeof control;
        ssize_t n = ::recvmsg(fd, &msg, MSG_DONTWAIT | MSG_TRUNC);
        if (n < 0) {
            if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
                m_log.Note("*", "receive failed: " + ErrnoText());
            return;
        }
        // With MSG_TRUNC n is the datagram's real size; the phone sees that it was too long.
        std::string bytes(buf, std::min(static_cast<std::size_t>(n), sizeof buf));
        if (static_cast<std::size_t>(n) > sizeof buf) bytes.resize(static_cast<std::size_t>(n));
        Endpoint from{AddrText(src.sin_addr), ntohs(src.sin_port)};

        // A phone of this process never obeys another one: no echo between them.
        bool fromOwnPhone = std::any_of(m_phones.begin(), m_phones.end(), [&](const Slot& s) {
            return s.phone->Address() == from.ip && s.port == from.port;
        });

        std::optional<std::size_t> target = owner;
        bool broadcast = false;
        if (!owner) {
            std::string dest;
            for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c)) {
                if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
                    in_pktinfo info{};
                    std::memcpy(&info, CMSG_DATA(c), sizeof info);
                    dest = AddrText(info.ipi_addr);
                }
            }
            target = IndexFor(dest);
            broadcast = !target;
            if (broadcast && !IsBroadcastAddress(dest)) {
                // A unicast to an address of this machine that no phone has: nobody there.
                m_log.Note("*", "ignored: datagram from " + from.ToString() + " to " + dest +
                                    ", which no phone has");
                continue;
            }
        }
        if (broadcast) {
            for (Slot& s : m_phones) {
                m_log.In(s.phone->Address(), from, bytes, true);
                if (fromOwnPhone)
                    m_log.Note(s.phone->Address(),
                               "ignored: datagram from a phone of this process");
                else
                    s.phone->OnDatagram(from, bytes, true);
            }
        } else {
            Phone& p = *m_phones[*target].phone;
            m_log.In(p.Address(), from, bytes, false);
            if (fromOwnPhone)
                m_log.Note(p.Address(), "ignored: datagram from a phone of this process");
            else
                p.OnDatagram(from, bytes, false);
        }
    }
}

void Simulator::ReadControl() {
    char buf[4096];
    ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
    if (n < 0) {
        if (errno == EINTR || errno == EAGAIN) return;
        m_log.Note("*", "control input failed: " + ErrnoText());
        n = 0;
    }
    if (n == 0) {
        m_controlOpen = false;
        m_quit = true;
        m_log.Line("*", "CONTROL", "end of input");
        return;
    }
    m_controlBuffer.append(buf, static_cast<std::size_t>(n));
    std::size_t nl;
    while ((nl = m_controlBuffer.find('\n')) != std::string::npos) {
        std::string line = m_controlBuffer.substr(0, nl);
        m_controlBuffer.erase(0, nl + 1);
        Control(line);
    }
    if (m_controlBuffer.size() > kMaxControlLine) {
        m_log.Line("*", "CONTROL-ERROR", "line longer than 1 MiB dropped");
        m_controlBuffer.clear();
    }
}

bool Simulator::Control(std::string_view line) {
    if (text::Trim(line, " \t\r").empty()) return true;
    m_log.Line("*", "CONTROL", EscapeForLog(line, 200));
    ControlResult r = ParseControlLine(line);
    if (!r.command) {
        m_log.Line("*", "CONTROL-ERROR", r.error);
        return false;
    }
    const ControlCommand& c = *r.command;
    std::size_t index = 0;
    if (!c.phone.empty()) {
        auto i = IndexFor(c.phone);
        if (!i) {
            m_log.Line("*", "CONTROL-ERROR", "no phone with address " + c.phone);
            return false;
        }
        index = *i;
    }
    Phone& phone = *m_phones[index].phone;
    const Stranger* stranger = nullptr;
    if (!c.from.empty()) {
        stranger = StrangerAt(c.from);
        if (stranger == nullptr) return false;
    }
    if (stranger != nullptr && (c.verb == ControlVerb::Send || c.verb == ControlVerb::Raw ||
                                c.verb == ControlVerb::SendTo)) {
        std::optional<Endpoint> to = c.to ? c.to : phone.ControllerEndpoint();
        if (!to) {
            m_log.Line("*", "CONTROL-ERROR", "no controller to send to; use send-to");
            return false;
        }
        TransmitFrom(stranger->fd, stranger->addr, *to, c.bytes, true);
        return true;
    }
    switch (c.verb) {
    case ControlVerb::Listen: return true; // the socket is open now
    case ControlVerb::Send:
    case ControlVerb::Raw: return phone.SendBytes(c.bytes);
    case ControlVerb::SendTo: return phone.SendBytes(c.bytes, c.to);
    case ControlVerb::Ring: return phone.Ring(c.arg);
    case ControlVerb::HangUp: return phone.RemoteHangUp();
    case ControlVerb::Busy: phone.SetBusy(c.flag); return true;
    case ControlVerb::Drop: phone.DropController("dropped by control"); return true;
    case ControlVerb::Fault:
    case ControlVerb::Flood: {
        std::optional<Endpoint> to = c.to ? c.to : phone.ControllerEndpoint();
        if (!to) {
            m_log.Line("*", "CONTROL-ERROR", "no controller to send to; give to=IP:PORT");
            return false;
        }
        if (m_runs.size() >= kMaxRuns) {
            m_log.Line("*", "CONTROL-ERROR", "too many runs in progress");
            return false;
        }
        FaultRun run;
        run.phone = index;
        if (stranger != nullptr) run.from = stranger->addr;
        run.to = to;
        run.fault = c.verb == ControlVerb::Fault;
        run.kind = c.fault;
        run.bytes = c.bytes;
        run.size = c.size;
        run.remaining = c.count;
        run.intervalMs = 1000.0 / c.rate;
        run.startMs = m_clock.NowMs();
        run.lastSendMs = run.startMs;
        run.nextMs = static_cast<double>(run.startMs);
        run.endMs = run.startMs + static_cast<std::int64_t>(c.seconds * 1000);
        m_runs.push_back(run);
        RunFloods();
        return true;
    }
    case ControlVerb::Stop:
        for (const FaultRun& run : m_runs)
            m_log.Note(m_phones[run.phone].phone->Address(),
                       "run stopped, " + std::to_string(run.remaining) + " not sent");
        m_runs.clear();
        return true;
    case ControlVerb::Status:
        for (Slot& s : m_phones)
            m_log.Line(s.phone->Address(), "STATUS", s.phone->StatusLine());
        return true;
    case ControlVerb::Quit: m_quit = true; return true;
    }
    return false;
}

// ---------------------------------------------------------------------------------------
// Time.

void Simulator::RunTimers() {
    std::int64_t now = m_clock.NowMs();
    for (Slot& s : m_phones) {
        auto d = s.phone->NextDeadline();
        if (d && *d <= now) s.phone->OnTimer();
    }
}

std::string Simulator::RunAddress(const FaultRun& run) const {
    return run.from.empty() ? m_phones[run.phone].phone->Address() : run.from;
}

void Simulator::RunFloods() {
    std::int64_t now = m_clock.NowMs();
    int budget = kMaxRunSendsPerWakeup;
    for (FaultRun& run : m_runs) {
        while (run.remaining > 0 && now < run.endMs && run.nextMs <= static_cast<double>(now) &&
               budget > 0) {
            std::string bytes =
                run.fault ? MakeFaultDatagram(run.kind, run.seq, run.size) : run.bytes;
            const bool logged = run.seq < kLoggedPerRun;
            ++run.seq;
            const Stranger* from = run.from.empty() ? nullptr : StrangerAt(run.from);
            if (from != nullptr)
                TransmitFrom(from->fd, from->addr, *run.to, bytes, logged);
            else
                Transmit(run.phone, *run.to, bytes, logged);
            if (run.seq == kLoggedPerRun + 1)
                m_log.Note(RunAddress(run),
                           "further datagrams of this run are counted, not logged");
            run.lastSendMs = now;
            --run.remaining;
            --budget;
            run.nextMs += run.intervalMs;
        }
    }
    auto done = [&](const FaultRun& run) { return run.remaining <= 0 || now >= run.endMs; };
    for (const FaultRun& run : m_runs)
        if (done(run)) {
            // The rate over the time from the first send to the last (at least 1 ms).
            const double seconds =
                static_cast<double>(std::max<std::int64_t>(run.lastSendMs - run.startMs, 1)) /
                1000.0;
            char took[64];
            std::snprintf(took, sizeof took, " in %.3f s (%.0f per second)", seconds,
                          static_cast<double>(run.seq) / seconds);
            m_log.Note(RunAddress(run),
                       "run done: " + std::to_string(run.seq) + " sent" + took +
                           (run.remaining > 0
                                ? ", time up with " + std::to_string(run.remaining) + " left"
                                : ""));
        }
    m_runs.erase(std::remove_if(m_runs.begin(), m_runs.end(), done), m_runs.end());
}

std::int64_t Simulator::PollTimeoutMs() const {
    std::int64_t now = m_clock.NowMs();
    std::int64_t next = now + 1000;
    for (const Slot& s : m_phones) {
        auto d = s.phone->NextDeadline();
        if (d) next = std::min(next, *d);
    }
    for (const FaultRun& run : m_runs)
        next = std::min({next, static_cast<std::int64_t>(run.nextMs) + 1, run.endMs});
    if (!m_queue.empty()) next = std::min(next, now + kPaceMs);
    return std::clamp<std::int64_t>(next - now, 0, 1000);
}

int Simulator::Run() {
    while (!m_quit && !g_bStop) {
        std::vector<pollfd> fds;
        std::vector<std::optional<std::size_t>> owners;
        for (std::size_t i = 0; i < m_phones.size(); ++i) {
            fds.push_back(pollfd{m_phones[i].fd, POLLIN, 0});
            owners.emplace_back(i);
        }
        if (m_wildcardFd >= 0) {
            fds.push_back(pollfd{m_wildcardFd, POLLIN, 0});
            owners.emplace_back(std::nullopt);
        }
        std::size_t socketCount = fds.size();
        for (const Stranger& s : m_strangers)
            fds.push_back(pollfd{s.fd, POLLIN, 0});
        const std::size_t strangerEnd = fds.size();
        if (m_controlOpen) fds.push_back(pollfd{STDIN_FILENO, POLLIN, 0});

        int n = ::poll(fds.data(), fds.size(), static_cast<int>(PollTimeoutMs()));
        if (n < 0 && errno != EINTR) {
            m_log.Note("*", "poll failed: " + ErrnoText());
            return 1;
        }
        if (n > 0) {
            for (std::size_t i = 0; i < socketCount; ++i)
                if (fds[i].revents & (POLLIN | POLLERR)) ReadSocket(fds[i].fd, owners[i]);
            for (std::size_t i = socketCount; i < strangerEnd; ++i)
                if (fds[i].revents & (POLLIN | POLLERR)) ReadStranger(m_strangers[i - socketCount]);
            if (m_controlOpen && fds.size() > strangerEnd &&
                (fds.back().revents & (POLLIN | POLLHUP | POLLERR)))
                ReadControl();
        }
        RunTimers();
        RunFloods();
        DrainQueue();
    }
    // What the phones said last still goes out.
    while (!m_queue.empty()) {
        Pending p = std::move(m_queue.front());
        m_queue.pop_front();
        Transmit(p.phone, p.to, p.bytes);
    }
    m_log.Line("*", "STOP", "");
    return 0;
}

} // namespace orvane::sim
