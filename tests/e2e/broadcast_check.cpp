// Checks the sealed network the end-to-end tests run in: a datagram sent to the limited
// broadcast address 255.255.255.255 comes back to a socket bound to 0.0.0.0 on the same
// port, which is how the dialer's search reaches the emulated phones.
//
// It broadcasts, so it refuses to run anywhere but inside scripts/sealed-net: the network
// namespace must hold exactly the interfaces lo, sn0 and sn1.
//
// usage: broadcast_check [PORT]   (default 8888)
#include "SealedNet.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

namespace {

using orvane::demo::InsideSealedNet;

int Fail(const char* what) {
    std::fprintf(stderr, "broadcast_check: %s: %s\n", what, std::strerror(errno));
    return 1;
}

// Closes a descriptor on every way out.
struct Fd {
    int fd;
    ~Fd() {
        if (fd >= 0) close(fd);
    }
};

} // namespace

int main(int argc, char** argv) {
    if (!InsideSealedNet()) {
        std::fprintf(stderr, "broadcast_check: refusing to broadcast outside the sealed network "
                             "namespace; run it through scripts/sealed-net\n");
        return 2;
    }
    long port = 8888;
    if (argc > 1) {
        char* end = nullptr;
        port = std::strtol(argv[1], &end, 10);
        if (*end != '\0' || port < 1 || port > 65535) {
            std::fprintf(stderr, "broadcast_check: bad port '%s'\n", argv[1]);
            return 2;
        }
    }

    Fd listener{socket(AF_INET, SOCK_DGRAM, 0)};
    if (listener.fd < 0) return Fail("socket");
    int on = 1;
    setsockopt(listener.fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in any{};
    any.sin_family = AF_INET;
    any.sin_port = htons(static_cast<std::uint16_t>(port));
    any.sin_addr.s_addr = htonl(INADDR_ANY);
    if (bind(listener.fd, reinterpret_cast<sockaddr*>(&any), sizeof any) != 0)
        return Fail("bind 0.0.0.0");

    Fd sender{socket(AF_INET, SOCK_DGRAM, 0)};
    if (sender.fd < 0) return Fail("socket");
    if (setsockopt(sender.fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0)
        return Fail("SO_BROADCAST");
    sockaddr_in all = any;
    all.sin_addr.s_addr = htonl(INADDR_BROADCAST);
    const std::string payload =
        "SEARCH-CHECK: " +
        std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    if (sendto(sender.fd, payload.data(), payload.size(), 0, reinterpret_cast<sockaddr*>(&all),
               sizeof all) != static_cast<ssize_t>(payload.size()))
        return Fail("sendto 255.255.255.255");

    // Anything else arriving on the port is skipped; only our own datagram counts.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (true) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd p{listener.fd, POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return Fail("poll");
        if (ready == 0) break;
        char buffer[512];
        sockaddr_in from{};
        socklen_t fromLen = sizeof from;
        const ssize_t n = recvfrom(listener.fd, buffer, sizeof buffer, 0,
                                   reinterpret_cast<sockaddr*>(&from), &fromLen);
        if (n < 0) return Fail("recvfrom");
        if (std::string(buffer, static_cast<std::size_t>(n)) == payload) {
            char addr[INET_ADDRSTRLEN] = "?";
            inet_ntop(AF_INET, &from.sin_addr, addr, sizeof addr);
            std::printf("broadcast_check: 255.255.255.255:%ld reached 0.0.0.0:%ld (from %s)\n",
                        port, port, addr);
            return 0;
        }
    }
    std::fprintf(stderr, "broadcast_check: the broadcast did not come back within 2 s\n");
    return 1;
}
