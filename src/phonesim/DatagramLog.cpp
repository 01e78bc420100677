#include "DatagramLog.h"

#include "Escape.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>

namespace orvane::sim {

DatagramLog::~DatagramLog() {
    if (m_owned && m_file) std::fclose(m_file);
}

std::unique_ptr<DatagramLog> DatagramLog::Open(const std::string& path, std::string& error) {
    if (path.empty() || path == "-") return std::make_unique<DatagramLog>(stderr, false);
    std::FILE* f = std::fopen(path.c_str(), "a");
    if (!f) {
        error = "cannot open log file " + path + ": " + std::strerror(errno);
        return nullptr;
    }
    return std::make_unique<DatagramLog>(f, true);
}

std::string DatagramLog::TimeStamp() {
    using namespace std::chrono;
    auto now = system_clock::now();
    std::time_t t = system_clock::to_time_t(now);
    auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[48];
    std::size_t n = std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S", &tm);
    std::snprintf(buf + n, sizeof buf - n, ".%03d", static_cast<int>(ms));
    return buf;
}

void DatagramLog::Line(const std::string& phone, std::string_view what, std::string_view rest) {
    std::string line = TimeStamp() + " " + phone + " " + std::string(what);
    if (!rest.empty()) line += " ";
    line += rest;
    line += "\n";
    std::fwrite(line.data(), 1, line.size(), m_file);
    std::fflush(m_file);
}

void DatagramLog::In(const std::string& phone, const Endpoint& from, std::string_view bytes,
                     bool broadcast) {
    Line(phone, broadcast ? "BCAST" : "IN",
         from.ToString() + " " + EscapeForLog(WithoutTerminator(bytes)));
}

void DatagramLog::Out(const std::string& phone, const Endpoint& to, std::string_view bytes) {
    Line(phone, "OUT", to.ToString() + " " + EscapeForLog(WithoutTerminator(bytes)));
}

void DatagramLog::Note(const std::string& phone, std::string_view text) {
    Line(phone, "NOTE", EscapeForLog(text));
}

} // namespace orvane::sim
