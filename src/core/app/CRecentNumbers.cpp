#include "CRecentNumbers.h"

#include "DialLink.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace orvane {

namespace {

constexpr std::string_view kHeader = "orvane-sip-dialer recent numbers 1";
// Far more than 20 numbers of 25 characters and the header need: a larger file is not ours.
constexpr std::uintmax_t kMaxFileBytes = 4096;

bool IsKeptNumber(std::string_view number) {
    const DialLinkResult r = NormaliseDialNumber(number);
    return r.ok && r.number == number;
}

} // namespace

CRecentNumbers::CRecentNumbers(std::string path) : m_path(std::move(path)) {}

std::string CRecentNumbers::Format(const std::vector<std::string>& numbers) {
    std::string text(kHeader);
    text += '\n';
    for (const std::string& n : numbers)
        text += n + '\n';
    return text;
}

std::optional<std::vector<std::string>> CRecentNumbers::Parse(std::string_view text) {
    std::vector<std::string> numbers;
    bool header = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        // Every line ends with a newline: a file cut short while written is damaged.
        if (end == std::string_view::npos) return std::nullopt;
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        if (!header) {
            if (line != kHeader) return std::nullopt;
            header = true;
            continue;
        }
        if (!IsKeptNumber(line) || numbers.size() == kMaxNumbers) return std::nullopt;
        if (std::find(numbers.begin(), numbers.end(), line) != numbers.end()) return std::nullopt;
        numbers.emplace_back(line);
    }
    if (!header) return std::nullopt;
    return numbers;
}

void CRecentNumbers::Load() {
    m_numbers.clear();
    if (m_path.empty()) return;
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(m_path, ec);
    if (ec || size > kMaxFileBytes) return;
    std::ifstream in(m_path, std::ios::binary);
    if (!in) return;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return;
    if (std::optional<std::vector<std::string>> numbers = Parse(text))
        m_numbers = std::move(*numbers);
}

bool CRecentNumbers::Add(std::string_view number) {
    const DialLinkResult normal = NormaliseDialNumber(number);
    if (!normal.ok) return true;
    const std::string& kept = normal.number;
    m_numbers.erase(std::remove(m_numbers.begin(), m_numbers.end(), kept), m_numbers.end());
    m_numbers.insert(m_numbers.begin(), kept);
    if (m_numbers.size() > kMaxNumbers) m_numbers.resize(kMaxNumbers);
    return Save();
}

bool CRecentNumbers::Clear() {
    m_numbers.clear();
    return Save();
}

bool CRecentNumbers::Save() const {
    if (m_path.empty()) return true;
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path target(m_path);
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
    // Written beside the file and renamed over it: a reader (or a crash) never sees half.
    const std::string temp = m_path + ".new";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out << Format(m_numbers);
        out.flush();
        if (!out) {
            out.close();
            fs::remove(temp, ec);
            return false;
        }
    }
    fs::rename(temp, target, ec);
    if (ec) {
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

} // namespace orvane
