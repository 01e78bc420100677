// Runs orvane-phonesim as a child process with a control pipe and a log file, and a UDP
// client socket to talk to it: the program tested as a user runs it.
#pragma once

#include "SimTypes.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace orvane::sim::test {

#ifndef PHONESIM_EXE
#error PHONESIM_EXE must name the orvane-phonesim program
#endif

class SimProcess {
  public:
    // `args` are the phone options; --log and --control are added.
    explicit SimProcess(const std::vector<std::string>& args, bool control = true) {
        char tmpl[] = "/tmp/phonesim-test-XXXXXX";
        if (mkdtemp(tmpl)) m_strDir = tmpl;
        m_strLog = m_strDir + "/sim.log";
        int in[2] = {-1, -1};
        if (pipe(in) != 0) return;
        std::vector<std::string> all = {PHONESIM_EXE, "--log", m_strLog};
        if (control) all.push_back("--control");
        all.insert(all.end(), args.begin(), args.end());
        m_nPid = fork();
        if (m_nPid == 0) {
            dup2(in[0], STDIN_FILENO);
            close(in[0]);
            close(in[1]);
            std::vector<char*> argv;
            for (std::string& a : all)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(in[0]);
        m_nControlFd = in[1];
        signal(SIGPIPE, SIG_IGN);
    }
    ~SimProcess() {
        if (m_nControlFd >= 0) close(m_nControlFd);
        if (m_nPid > 0 && !Wait(3000)) {
            kill(m_nPid, SIGKILL);
            waitpid(m_nPid, nullptr, 0);
        }
        if (!m_strDir.empty()) {
            std::remove(m_strLog.c_str());
            rmdir(m_strDir.c_str());
        }
    }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    std::string Log() const {
        std::ifstream f(m_strLog);
        std::stringstream ss;
        ss << f.rdbuf();
        return ss.str();
    }
    // Waits until the log holds `needle` `times` times.
    bool WaitForLog(const std::string& needle, int timeoutMs = 5000, int times = 1) const {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        do {
            if (Count(Log(), needle) >= times) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        } while (std::chrono::steady_clock::now() < end);
        return false;
    }
    static int Count(const std::string& text, const std::string& needle) {
        int n = 0;
        for (std::size_t p = text.find(needle); p != std::string::npos;
             p = text.find(needle, p + 1))
            ++n;
        return n;
    }
    // The port a phone listens on, from its LISTEN line.
    std::uint16_t PortOf(const std::string& addr) const {
        std::string log = Log();
        std::string key = addr + " LISTEN " + addr + ":";
        std::size_t p = log.find(key);
        if (p == std::string::npos) return 0;
        return static_cast<std::uint16_t>(std::atoi(log.c_str() + p + key.size()));
    }
    void Control(const std::string& line) {
        std::string l = line + "\n";
        [[maybe_unused]] ssize_t n = write(m_nControlFd, l.data(), l.size());
    }
    void CloseControl() {
        if (m_nControlFd >= 0) close(m_nControlFd);
        m_nControlFd = -1;
    }
    // True once the process has ended (its status in ExitStatus).
    bool Wait(int timeoutMs) {
        if (m_nPid <= 0) return true;
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        do {
            int status = 0;
            if (waitpid(m_nPid, &status, WNOHANG) == m_nPid) {
                m_nStatus = status;
                m_nPid = -1;
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        } while (std::chrono::steady_clock::now() < end);
        return false;
    }
    bool Running() const { return m_nPid > 0 && kill(m_nPid, 0) == 0; }
    pid_t Pid() const { return m_nPid; }
    int ExitStatus() const { return m_nStatus; }
    const std::string& Dir() const { return m_strDir; }

  private:
    std::string m_strDir, m_strLog;
    pid_t m_nPid = -1;
    int m_nControlFd = -1;
    int m_nStatus = -1;
};

struct Datagram {
    Endpoint from;
    std::string bytes;
    std::string Text() const { return std::string(bytes.c_str()); }
};

class UdpClient {
  public:
    explicit UdpClient(const std::string& addr = "127.0.0.1", bool broadcast = false) {
        m_nFd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        int size = 4 << 20; // room for a whole call log
        setsockopt(m_nFd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
        if (broadcast) {
            int one = 1;
            setsockopt(m_nFd, SOL_SOCKET, SO_BROADCAST, &one, sizeof one);
        }
        sockaddr_in a{};
        a.sin_family = AF_INET;
        inet_pton(AF_INET, addr.c_str(), &a.sin_addr);
        bind(m_nFd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t len = sizeof a;
        getsockname(m_nFd, reinterpret_cast<sockaddr*>(&a), &len);
        m_self = Endpoint{addr, ntohs(a.sin_port)};
    }
    ~UdpClient() { close(m_nFd); }
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
        sendto(m_nFd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&a), sizeof a);
    }
    std::optional<Datagram> Receive(int timeoutMs) {
        pollfd p{m_nFd, POLLIN, 0};
        if (poll(&p, 1, timeoutMs) <= 0) return std::nullopt;
        static char buf[70000];
        sockaddr_in src{};
        socklen_t len = sizeof src;
        ssize_t n = recvfrom(m_nFd, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&src), &len);
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
    int m_nFd = -1;
    Endpoint m_self;
};

} // namespace orvane::sim::test
