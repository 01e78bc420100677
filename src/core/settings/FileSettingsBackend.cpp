#include "FileSettingsBackend.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string_view>
#include <system_error>

namespace orvane {

namespace fs = std::filesystem;

// Store file:
//   orvane-settings 1
//   <name>\t<type>\t<data as hex>        one line per value, names in byte order
//   end <count> <checksum>
// The name keeps printable ASCII as it is and writes every other byte (and '%') as %HH.
// The checksum is FNV-1a (32 bits, 8 hex digits) of every byte before the "end" line, and
// the file ends with the newline after it, so a cut anywhere is seen.
namespace {

constexpr std::string_view kHeader = "orvane-settings 1";
constexpr std::string_view kEnd = "end ";
// Far above three small values; keeps a runaway or hostile file from being read whole.
constexpr std::size_t kMaxStoreBytes = 4u << 20;
constexpr const char* kHexDigits = "0123456789abcdef";

std::uint32_t Fnv1a(std::string_view bytes) {
    std::uint32_t hash = 2166136261u;
    for (char c : bytes) {
        hash ^= static_cast<std::uint8_t>(c);
        hash *= 16777619u;
    }
    return hash;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void AppendHexByte(std::string& out, std::uint8_t b) {
    out += kHexDigits[b >> 4];
    out += kHexDigits[b & 0x0F];
}

bool ParseHexByte(std::string_view text, std::size_t pos, std::uint8_t& out) {
    if (pos + 2 > text.size()) return false;
    const int hi = HexValue(text[pos]);
    const int lo = HexValue(text[pos + 1]);
    if (hi < 0 || lo < 0) return false;
    out = static_cast<std::uint8_t>(hi * 16 + lo);
    return true;
}

void AppendName(std::string& out, const std::string& name) {
    for (char c : name) {
        const auto b = static_cast<std::uint8_t>(c);
        if (b >= 0x20 && b < 0x7F && c != '%') {
            out += c;
        } else {
            out += '%';
            AppendHexByte(out, b);
        }
    }
}

bool ParseName(std::string_view text, std::string& name) {
    name.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<std::uint8_t>(text[i]);
        if (text[i] == '%') {
            std::uint8_t decoded = 0;
            if (!ParseHexByte(text, i + 1, decoded)) return false;
            name += static_cast<char>(decoded);
            i += 2;
        } else if (b >= 0x20 && b < 0x7F) {
            name += text[i];
        } else {
            return false;
        }
    }
    return true;
}

// Plain decimal, no sign, no leading blanks, at most `max`.
bool ParseDecimal(std::string_view text, std::uint64_t max, std::uint64_t& out) {
    if (text.empty() || text.size() > 20) return false;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (value > (max - digit) / 10) return false;
        value = value * 10 + digit;
    }
    out = value;
    return true;
}

bool ParseValueLine(std::string_view line, std::string& name, FileSettingsBackend::Value& value) {
    const std::size_t tab1 = line.find('\t');
    if (tab1 == std::string_view::npos) return false;
    const std::size_t tab2 = line.find('\t', tab1 + 1);
    if (tab2 == std::string_view::npos || line.find('\t', tab2 + 1) != std::string_view::npos)
        return false;
    if (!ParseName(line.substr(0, tab1), name)) return false;
    std::uint64_t type = 0;
    if (!ParseDecimal(line.substr(tab1 + 1, tab2 - tab1 - 1), 0xFFFFFFFFu, type)) return false;
    const std::string_view hex = line.substr(tab2 + 1);
    if (hex.size() % 2 != 0) return false;
    value.type = static_cast<ValueType>(static_cast<std::uint32_t>(type));
    value.data.clear();
    value.data.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        std::uint8_t b = 0;
        if (!ParseHexByte(hex, i, b)) return false;
        value.data.push_back(b);
    }
    return true;
}

// The closing line, newline included: written exactly so, and read back only so.
std::string EndLine(std::size_t count, std::uint32_t sum) {
    std::string line(kEnd);
    line += std::to_string(count);
    line += ' ';
    for (int shift = 28; shift >= 0; shift -= 4)
        line += kHexDigits[(sum >> shift) & 0x0Fu];
    line += '\n';
    return line;
}

// A name for the file written aside: unique, so two dialers saving at once never share one.
std::string TempNameFor(const std::string& file) {
    static std::uint32_t counter = 0;
    std::uint32_t noise = ++counter;
    try {
        std::random_device device;
        noise ^= device();
    } catch (...) {
        noise ^=
            static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    }
    std::string name = file + ".tmp-";
    for (int shift = 28; shift >= 0; shift -= 4)
        name += kHexDigits[(noise >> shift) & 0x0Fu];
    return name;
}

} // namespace

FileSettingsBackend::FileSettingsBackend(std::string runtimeDir)
    : m_runtimeDir(std::move(runtimeDir)) {}

std::string FileSettingsBackend::FileFor(const std::string& keyPath) const {
    if (m_runtimeDir.empty() || keyPath.empty()) return {};
    fs::path file(m_runtimeDir);
    std::size_t start = 0;
    while (true) {
        const std::size_t end = keyPath.find('\\', start);
        const std::string part =
            keyPath.substr(start, end == std::string::npos ? end : end - start);
        // Each part of the key path is one folder name: nothing that could climb out of
        // the runtime directory or name a second level.
        if (part.empty() || part == "." || part == ".." ||
            part.find_first_of(std::string("/\0", 2)) != std::string::npos)
            return {};
        if (end == std::string::npos) {
            file /= part + ".settings";
            break;
        }
        file /= part;
        start = end + 1;
    }
    return file.string();
}

bool FileSettingsBackend::OpenKey(const std::string& path) {
    CloseKey();
    const std::string file = FileFor(path);
    if (file.empty()) return false;

    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    m_file = file;
    if (fs::exists(status)) {
        if (fs::is_regular_file(status) && Load()) return true;
        m_file.clear();
        return false;
    }
    // First open: the key is created, empty.
    fs::create_directories(fs::path(file).parent_path(), ec);
    if (!Save()) {
        m_file.clear();
        return false;
    }
    return true;
}

void FileSettingsBackend::CloseKey() {
    m_file.clear();
    m_values.clear();
}

bool FileSettingsBackend::QueryValue(const std::string& name, ValueType& type,
                                     std::vector<std::uint8_t>& data, std::size_t maxBytes) {
    if (m_file.empty()) return false;
    const auto it = m_values.find(name);
    if (it == m_values.end() || it->second.data.size() > maxBytes) return false;
    type = it->second.type;
    data = it->second.data;
    return true;
}

bool FileSettingsBackend::SetValue(const std::string& name, ValueType type,
                                   const std::vector<std::uint8_t>& data) {
    if (m_file.empty()) return false;
    std::map<std::string, Value> previous = m_values;
    Value& value = m_values[name];
    value.type = type;
    value.data = data;
    if (!Save()) {
        // What this object holds stays what the file holds.
        m_values.swap(previous);
        return false;
    }
    return true;
}

// Reads the open key's file. A file that cannot be read is an error; a damaged one reads
// as an empty key (the defaults apply, and the next write replaces it).
bool FileSettingsBackend::Load() {
    m_values.clear();
    std::ifstream in(m_file, std::ios::binary);
    if (!in) return false;
    std::string text;
    char chunk[16384];
    while (in && text.size() <= kMaxStoreBytes) {
        in.read(chunk, sizeof chunk);
        text.append(chunk, static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) return false;
    if (text.size() > kMaxStoreBytes || !Parse(text, m_values)) m_values.clear();
    return true;
}

bool FileSettingsBackend::Save() {
    if (m_file.empty()) return false;
    const std::string text = Serialize(m_values);
    if (text.size() > kMaxStoreBytes) return false; // it could not be read back

    std::error_code ec;
    fs::create_directories(fs::path(m_file).parent_path(), ec);
    // Written aside and renamed over the store: a reader sees the old store or the new one,
    // never a part of either. (The runtime directory is memory-backed and dies at log-out,
    // so there is no power-loss durability to buy with a sync.)
    const std::string temp = TempNameFor(m_file);
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.close();
        if (out.fail()) {
            std::remove(temp.c_str());
            return false;
        }
    }
    if (std::rename(temp.c_str(), m_file.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

std::string FileSettingsBackend::Serialize(const std::map<std::string, Value>& values) {
    std::string body(kHeader);
    body += '\n';
    for (const auto& [name, value] : values) {
        AppendName(body, name);
        body += '\t';
        body += std::to_string(static_cast<std::uint32_t>(value.type));
        body += '\t';
        for (std::uint8_t b : value.data)
            AppendHexByte(body, b);
        body += '\n';
    }
    body += EndLine(values.size(), Fnv1a(body));
    return body;
}

bool FileSettingsBackend::Parse(const std::string& textIn, std::map<std::string, Value>& values) {
    values.clear();
    const std::string_view text(textIn);
    if (text.size() < 2 || text.back() != '\n') return false;

    // The "end" line is the last line; everything before it is covered by the checksum.
    const std::size_t lastStart = text.rfind('\n', text.size() - 2);
    if (lastStart == std::string_view::npos) return false;
    const std::string_view body = text.substr(0, lastStart + 1);
    const std::string_view endLine = text.substr(lastStart + 1);

    std::map<std::string, Value> parsed;
    std::size_t pos = 0;
    bool first = true;
    while (pos < body.size()) {
        const std::size_t eol = body.find('\n', pos);
        const std::string_view line = body.substr(pos, eol - pos);
        pos = eol + 1;
        if (first) {
            if (line != kHeader) return false;
            first = false;
            continue;
        }
        std::string name;
        Value value;
        if (!ParseValueLine(line, name, value)) return false;
        // One line per name: a repeated name is a store this program did not write.
        if (!parsed.emplace(std::move(name), std::move(value)).second) return false;
    }
    if (first || endLine != EndLine(parsed.size(), Fnv1a(body))) return false;
    values.swap(parsed);
    return true;
}

} // namespace orvane
