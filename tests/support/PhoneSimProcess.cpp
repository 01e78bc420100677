#include "PhoneSimProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

namespace orvane::test {

PhoneSimProcess::PhoneSimProcess(const std::string& program, const std::vector<std::string>& args,
                                 bool control) {
    Start(program, args, control);
}

PhoneSimProcess::~PhoneSimProcess() {
    Stop(3000);
    RemoveDir();
}

void PhoneSimProcess::RemoveDir() {
    if (m_dir.empty()) return;
    std::remove(m_logPath.c_str());
    rmdir(m_dir.c_str());
    m_dir.clear();
}

bool PhoneSimProcess::Start(const std::string& program, const std::vector<std::string>& args,
                            bool control, const std::string& logPath) {
    if (Running()) {
        m_error = "already running";
        return false;
    }
    RemoveDir();
    m_status = -1;
    m_error.clear();
    m_logPath = logPath;
    if (m_logPath.empty()) {
        char tmpl[] = "/tmp/phonesim-XXXXXX";
        if (mkdtemp(tmpl) == nullptr) {
            m_error = std::string("cannot make a folder for the log: ") + std::strerror(errno);
            return false;
        }
        m_dir = tmpl;
        m_logPath = m_dir + "/phones.log";
    }
    std::remove(m_logPath.c_str());

    std::vector<std::string> all = {program, "--log", m_logPath};
    if (control) all.push_back("--control");
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    int in[2] = {-1, -1};
    int report[2] = {-1, -1}; // closes on exec; carries errno when exec fails
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(report, O_CLOEXEC) != 0) {
        m_error = std::string("cannot make a pipe: ") + std::strerror(errno);
        for (int fd : {in[0], in[1], report[0], report[1]})
            if (fd >= 0) close(fd);
        return false;
    }
    m_pid = fork();
    if (m_pid == 0) {
        dup2(in[0], STDIN_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) dup2(null, STDOUT_FILENO);
        execv(argv[0], argv.data());
        const int err = errno;
        [[maybe_unused]] ssize_t n = write(report[1], &err, sizeof err);
        _exit(127);
    }
    close(in[0]);
    close(report[1]);
    if (m_pid < 0) {
        m_error = std::string("cannot start ") + program + ": " + std::strerror(errno);
        close(in[1]);
        close(report[0]);
        return false;
    }
    int err = 0;
    ssize_t got;
    do {
        got = read(report[0], &err, sizeof err);
    } while (got < 0 && errno == EINTR);
    close(report[0]);
    if (got == static_cast<ssize_t>(sizeof err)) {
        m_error = "cannot start " + program + ": " + std::strerror(err);
        close(in[1]);
        Wait(3000);
        return false;
    }
    m_controlFd = in[1];
    m_control = control;
    signal(SIGPIPE, SIG_IGN); // a phone that ended must not end the test writing to it
    return true;
}

bool PhoneSimProcess::Stop(int timeoutMs) {
    if (!Running()) {
        CloseControl();
        return true;
    }
    if (m_control) {
        Control("quit");
        CloseControl();
    } else {
        CloseControl();
        kill(m_pid, SIGTERM);
    }
    if (Wait(timeoutMs)) return true;
    kill(m_pid, SIGKILL);
    return Wait(timeoutMs);
}

bool PhoneSimProcess::Wait(int timeoutMs) {
    if (m_pid <= 0) return true;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int status = 0;
        const pid_t r = waitpid(m_pid, &status, WNOHANG);
        if (r == m_pid || (r < 0 && errno == ECHILD)) {
            m_status = r == m_pid ? status : -1;
            m_pid = -1;
            return true;
        }
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

bool PhoneSimProcess::Running() {
    return !Wait(0);
}

void PhoneSimProcess::Control(const std::string& line) {
    if (m_controlFd < 0) return;
    const std::string l = line + "\n";
    std::size_t done = 0;
    while (done < l.size()) {
        const ssize_t n = write(m_controlFd, l.data() + done, l.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return; // the phone has gone
        done += static_cast<std::size_t>(n);
    }
}

void PhoneSimProcess::CloseControl() {
    if (m_controlFd >= 0) close(m_controlFd);
    m_controlFd = -1;
}

std::string PhoneSimProcess::Log() const {
    std::ifstream f(m_logPath);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

bool PhoneSimProcess::WaitForLog(const std::string& needle, int timeoutMs, int times) const {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (Count(Log(), needle) >= times) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

int PhoneSimProcess::Count(const std::string& text, const std::string& needle) {
    if (needle.empty()) return 0;
    int n = 0;
    for (std::size_t p = text.find(needle); p != std::string::npos; p = text.find(needle, p + 1))
        ++n;
    return n;
}

std::uint16_t PhoneSimProcess::PortOf(const std::string& addr) const {
    const std::string log = Log();
    const std::string key = addr + " LISTEN " + addr + ":";
    const std::size_t p = log.find(key);
    if (p == std::string::npos) return 0;
    return static_cast<std::uint16_t>(std::atoi(log.c_str() + p + key.size()));
}

} // namespace orvane::test
