#include "WindowRig.h"

#include "FaceIds.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QTest>
#include <QWidget>

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace orvane;

namespace bench {

namespace {

// Monotonic minus real time, to read the kernel's receive stamps on our clock.
std::int64_t RealToMonotonic() {
    timespec mono{}, real{};
    clock_gettime(CLOCK_MONOTONIC, &mono);
    clock_gettime(CLOCK_REALTIME, &real);
    return (static_cast<std::int64_t>(mono.tv_sec) - real.tv_sec) * 1000000000 +
           (mono.tv_nsec - real.tv_nsec);
}

} // namespace

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    const std::int64_t end = NowNs() + static_cast<std::int64_t>(timeoutMs) * 1000000;
    while (!done()) {
        if (NowNs() > end) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    return true;
}

void PumpFor(int ms) {
    const std::int64_t end = NowNs() + static_cast<std::int64_t>(ms) * 1000000;
    while (NowNs() < end)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

int LoopbackSocket(std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    const sockaddr_in a = Loopback(port);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::uint16_t PortOf(int fd) {
    sockaddr_in a{};
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    return ntohs(a.sin_port);
}

void SendText(int fd, const std::string& text, std::uint16_t port) {
    const sockaddr_in to = Loopback(port);
    ::sendto(fd, text.data(), text.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
}

bool ReceiveText(int fd, std::string& text, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0) return false;
    char buffer[4096];
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n < 0) return false;
    text.assign(buffer, strnlen(buffer, static_cast<std::size_t>(n)));
    return true;
}

ssize_t ReceiveStamped(int fd, char* buffer, std::size_t capacity, sockaddr_in& from,
                       std::int64_t& stampNs) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 1000) <= 0) return -1;
    iovec io{buffer, capacity};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(timespec))];
    msghdr msg{};
    msg.msg_name = &from;
    msg.msg_namelen = sizeof from;
    msg.msg_iov = &io;
    msg.msg_iovlen = 1;
    msg.msg_control = control;
    msg.msg_controllen = sizeof control;
    const ssize_t n = ::recvmsg(fd, &msg, 0);
    if (n < 0) return n;
    buffer[n] = '\0';
    stampNs = 0;
    for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c != nullptr; c = CMSG_NXTHDR(&msg, c)) {
        if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_TIMESTAMPNS) {
            timespec ts{};
            std::memcpy(&ts, CMSG_DATA(c), sizeof ts);
            stampNs =
                static_cast<std::int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec + RealToMonotonic();
        }
    }
    return n;
}

void DrainSocket(int fd) {
    char buffer[4096];
    while (::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT) >= 0) {
    }
}

PaintCounter::PaintCounter(QWidget* w) {
    w->installEventFilter(this);
}

bool PaintCounter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint) ++paints;
    return QObject::eventFilter(watched, event);
}

MsgAnswer BenchDialogs::MessageBox(const std::string& text, const std::string& caption,
                                   MsgButtons buttons, MsgIcon, bool) {
    ++boxes;
    std::fprintf(stderr, "window_bench: the dialog asked for a box: %s: %s\n", caption.c_str(),
                 text.c_str());
    return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
}

TextInputAnswer BenchDialogs::RunTextInput(const TextInputRequest&) {
    ++boxes;
    return {2, {}};
}

Rig::Rig() {
    app.init((runtimeDir.path() + QStringLiteral("/no-contacts.txt")).toStdString());
    // No search: the device is addressed directly, as a pick from the list does.
    timers.KillTimer(Timer::Connect);
    timers.KillTimer(Timer::SearchEnd);
    window.callCore([this] {
        dialog.Socket().SetDeviceAddr("127.0.0.1");
        FaceModel& face = dialog.Face();
        for (int id : {Ctl::DisplayLine0, Ctl::DisplayLine1, Ctl::DisplayLine2, Ctl::DisplayLine3,
                       Ctl::End, Ctl::Send, Ctl::VolPlus, Ctl::VolMinus})
            face.Show(id, true);
        dialog.ShowKeypad(true);
    });
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) std::fprintf(stderr, "window not exposed\n");
    PumpUntil([this] { return dialog.Socket().m_bReadyToSend; });
    PumpFor(50);
}

// --- Child processes ---------------------------------------------------------------------

std::string SelfDir() {
    char path[4096];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    path[n] = '\0';
    return QFileInfo(QString::fromLocal8Bit(path)).absolutePath().toStdString();
}

ChildRun RunChild(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
    ChildRun run;
    int pipeFd[2];
    if (::pipe2(pipeFd, O_CLOEXEC) != 0) return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFd[1], 1);
    std::vector<char*> args, envp;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    for (const std::string& e : env)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    pid_t pid = 0;
    run.spawnedNs = NowNs();
    const int rc = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFd[1]);
    if (rc != 0) {
        ::close(pipeFd[0]);
        std::fprintf(stderr, "window_bench: cannot start %s: %s\n", args[0], std::strerror(rc));
        return run;
    }
    char buffer[1024];
    ssize_t n = 0;
    while ((n = ::read(pipeFd[0], buffer, sizeof buffer)) > 0)
        run.output.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeFd[0]);
    rusage usage{};
    ::wait4(pid, &run.status, 0, &usage);
    run.maxRssKb = usage.ru_maxrss;
    return run;
}

std::vector<std::string> ChildEnv(const std::string& runtimeDir) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string s(*e);
        if (s.compare(0, 16, "QT_QPA_PLATFORM=") == 0 || s.compare(0, 16, "XDG_RUNTIME_DIR=") == 0)
            continue;
        env.push_back(s);
    }
    env.push_back("QT_QPA_PLATFORM=offscreen");
    env.push_back("XDG_RUNTIME_DIR=" + runtimeDir);
    return env;
}

} // namespace bench
