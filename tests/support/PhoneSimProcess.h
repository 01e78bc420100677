// orvane-phonesim as a child process, the one way the tests, the driver and the tour start
// it: its arguments, a control pipe to its standard input, and its datagram log file. No Qt,
// so the emulated phone's own tests use it too.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace orvane::test {

class PhoneSimProcess {
  public:
    PhoneSimProcess() = default;
    // Starts at once (see Start); a failure shows in Error() and Running().
    PhoneSimProcess(const std::string& program, const std::vector<std::string>& args,
                    bool control = true);
    // Stops the process if it still runs and removes the log it made itself.
    ~PhoneSimProcess();
    PhoneSimProcess(const PhoneSimProcess&) = delete;
    PhoneSimProcess& operator=(const PhoneSimProcess&) = delete;

    // Runs `program --log LOG [--control] ARGS...`; LOG is `logPath`, or a file in a
    // temporary folder when it is empty. Standard output is dropped, standard error kept.
    // False (see Error()) when it is already running or the program cannot be started.
    bool Start(const std::string& program, const std::vector<std::string>& args,
               bool control = true, const std::string& logPath = {});
    // Ends the process: "quit" and end of input (SIGTERM when it reads no control input),
    // then SIGKILL if it does not go in time.
    // True when it has ended.
    bool Stop(int timeoutMs = 3000);
    // True once the process has ended (its status in ExitStatus).
    bool Wait(int timeoutMs);
    bool Running();
    pid_t Pid() const { return m_pid; }
    int ExitStatus() const { return m_status; }
    const std::string& Error() const { return m_error; }

    // One control line (see orvane-phonesim --help), written to its standard input.
    void Control(const std::string& line);
    // Ends its standard input.
    void CloseControl();

    const std::string& LogPath() const { return m_logPath; }
    // The folder its log lives in when Start made one; empty otherwise.
    const std::string& Dir() const { return m_dir; }
    // The whole log as far as it is written.
    std::string Log() const;
    // Waits until the log holds `needle` `times` times.
    bool WaitForLog(const std::string& needle, int timeoutMs = 5000, int times = 1) const;
    // The port a phone listens on, from its LISTEN line; 0 before it has one.
    std::uint16_t PortOf(const std::string& addr) const;
    // How often `needle` occurs in `text`.
    static int Count(const std::string& text, const std::string& needle);

  private:
    void RemoveDir();

    std::string m_dir;
    std::string m_logPath;
    std::string m_error;
    pid_t m_pid = -1;
    int m_controlFd = -1;
    bool m_control = false;
    int m_status = -1;
};

} // namespace orvane::test
