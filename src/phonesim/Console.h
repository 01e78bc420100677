// The phone's Linux console as the controller sees it: a handful of built-in commands over
// a small made-up file tree. It never starts a program or a shell; a command line is only
// ever read as words and answered from memory.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::sim {

// What the console may tell about its phone.
struct ConsoleContext {
    std::string hostname; // the phone's name
    std::string address;  // its IPv4 address
    std::string id;       // its identifier
    std::string model;    // its type
    std::int64_t uptimeSec = 0;
    std::time_t now = 0;
    std::vector<std::string> events; // recent lines of the phone's own log, oldest first
};

class PhoneConsole {
  public:
    // The output of one command line, as a shell would print it (lines end in "\n").
    std::string Run(std::string_view line, const ConsoleContext& ctx);
    const std::string& Cwd() const { return m_cwd; }

    static constexpr std::size_t kMaxOutput = 16000;

  private:
    std::string m_cwd = "/root";
};

} // namespace orvane::sim
