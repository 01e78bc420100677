// The datagram log: one line per datagram in or out and per remark, with a time stamp,
// flushed at once so a test can read it while the phone runs.
#pragma once

#include "SimTypes.h"

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace orvane::sim {

class DatagramLog {
  public:
    // `file` is written and, when `owned`, closed by the destructor.
    DatagramLog(std::FILE* file, bool owned) : m_file(file), m_owned(owned) {}
    ~DatagramLog();
    DatagramLog(const DatagramLog&) = delete;
    DatagramLog& operator=(const DatagramLog&) = delete;

    // "-" or empty: standard error. nullptr with `error` set when the file cannot be opened.
    static std::unique_ptr<DatagramLog> Open(const std::string& path, std::string& error);

    void In(const std::string& phone, const Endpoint& from, std::string_view bytes, bool broadcast);
    void Out(const std::string& phone, const Endpoint& to, std::string_view bytes);
    void Note(const std::string& phone, std::string_view text);
    void Line(const std::string& phone, std::string_view what, std::string_view rest);

    static std::string TimeStamp();

  private:
    std::FILE* m_file;
    bool m_owned;
};

} // namespace orvane::sim
