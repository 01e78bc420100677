// A UDP socket on a local address for talking to the emulated phone as a dialer would:
// send a text with its NUL, receive what comes back.
#pragma once

#include "SimTypes.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

namespace orvane::sim::test {

struct Datagram {
    Endpoint from;
    std::string bytes;
    std::string Text() const { return std::string(bytes.c_str()); }
};

class UdpClient {
  public:
    explicit UdpClient(const std::string& addr = "127.0.0.1", bool broadcast = false) {
        m_fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        int size = 4 << 20; // room for a whole call log
        setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
        if (broadcast) {
            int one = 1;
            setsockopt(m_fd, SOL_SOCKET, SO_BROADCAST, &one, sizeof one);
        }
        sockaddr_in a{};
        a.sin_family = AF_INET;
        inet_pton(AF_INET, addr.c_str(), &a.sin_addr);
        bind(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t len = sizeof a;
        getsockname(m_fd, reinterpret_cast<sockaddr*>(&a), &len);
        m_self = Endpoint{addr, ntohs(a.sin_port)};
    }
    ~UdpClient() { close(m_fd); }
    UdpClient(const UdpClient&) = delete;
    UdpClient& operator=(const UdpClient&) = delete;

    const Endpoint& Self() const { return m_self; }
    // Sends `text` and its NUL (or exactly `bytes` with SendRaw).
    void Send(const Endpoint& to, const std::string& text) {
        SendRaw(to, text + std::string(1, '\0'));
    }
    void SendRaw(const Endpoint& to, const std::string& bytes) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(to.port);
        inet_pton(AF_INET, to.ip.c_str(), &a.sin_addr);
        sendto(m_fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&a), sizeof a);
    }
    std::optional<Datagram> Receive(int timeoutMs) {
        pollfd p{m_fd, POLLIN, 0};
        if (poll(&p, 1, timeoutMs) <= 0) return std::nullopt;
        static char buf[70000];
        sockaddr_in src{};
        socklen_t len = sizeof src;
        ssize_t n = recvfrom(m_fd, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&src), &len);
        if (n < 0) return std::nullopt;
        char ip[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &src.sin_addr, ip, sizeof ip);
        return Datagram{Endpoint{ip, ntohs(src.sin_port)},
                        std::string(buf, static_cast<std::size_t>(n))};
    }
    // Everything that arrives until the line has been quiet for `quietMs`.
    std::vector<Datagram> ReceiveAll(int quietMs = 300) {
        std::vector<Datagram> all;
        while (auto d = Receive(quietMs))
            all.push_back(std::move(*d));
        return all;
    }
    static std::vector<std::string> Texts(const std::vector<Datagram>& ds) {
        std::vector<std::string> t;
        for (const Datagram& d : ds)
            t.push_back(d.Text());
        return t;
    }

  private:
    int m_fd = -1;
    Endpoint m_self;
};

} // namespace orvane::sim::test
