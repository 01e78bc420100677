#include "CRegHelper.h"

#include <cstddef>
#include <vector>

namespace orvane {

namespace {
constexpr std::size_t kDwordBytes = 4;
constexpr std::size_t kStringBytes = 4096;
constexpr const char* kQueryFailed = "Unable to query registry\n";
constexpr const char* kSaveFailed = "Unable to save to registry\n";
} // namespace

CRegHelper::CRegHelper(SettingsBackend& backend, Platform& platform)
    : m_backend(backend), m_platform(platform) {}

CRegHelper::~CRegHelper() {
    if (m_bOpen) {
        m_backend.CloseKey();
        m_bOpen = false;
    }
}

bool CRegHelper::CreateKey(const std::string& path) {
    // A second call reopens: never leave the first key open behind the new one.
    if (m_bOpen) {
        m_backend.CloseKey();
        m_bOpen = false;
    }
    m_bOpen = m_backend.OpenKey(path);
    return m_bOpen;
}

bool CRegHelper::ReadDword(const std::string& name, std::uint32_t& target) {
    if (!m_bOpen) return false;
    ValueType type = ValueType::Dword;
    std::vector<std::uint8_t> data;
    // The stored type is not looked at: any value of up to 4 bytes is a number.
    if (!m_backend.QueryValue(name, type, data, kDwordBytes) || data.size() > kDwordBytes) {
        m_platform.DebugOut(kQueryFailed);
        return false;
    }
    std::uint8_t buffer[kDwordBytes] = {};
    for (std::size_t i = 0; i < data.size(); ++i)
        buffer[i] = data[i];
    target = std::uint32_t(buffer[0]) | std::uint32_t(buffer[1]) << 8 |
             std::uint32_t(buffer[2]) << 16 | std::uint32_t(buffer[3]) << 24;
    return true;
}

bool CRegHelper::ReadString(const std::string& name, std::string& target) {
    if (!m_bOpen) return false;
    ValueType type = ValueType::String;
    std::vector<std::uint8_t> data;
    if (!m_backend.QueryValue(name, type, data, kStringBytes) || data.size() > kStringBytes) {
        m_platform.DebugOut(kQueryFailed);
        return false;
    }
    // Texts are stored without their NUL; one that carries a NUL ends there.
    std::size_t length = 0;
    while (length < data.size() && data[length] != 0)
        ++length;
    target.assign(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(length));
    return true;
}

void CRegHelper::WriteDword(const std::string& name, std::uint32_t value) {
    if (!m_bOpen) return;
    const std::vector<std::uint8_t> data{
        std::uint8_t(value & 0xFFu), std::uint8_t((value >> 8) & 0xFFu),
        std::uint8_t((value >> 16) & 0xFFu), std::uint8_t((value >> 24) & 0xFFu)};
    if (!m_backend.SetValue(name, ValueType::Dword, data)) m_platform.DebugOut(kSaveFailed);
}

void CRegHelper::WriteString(const std::string& name, const std::string& value) {
    if (!m_bOpen) return;
    // The byte count is the text's length: no terminating NUL is stored.
    const std::vector<std::uint8_t> data(value.begin(), value.end());
    if (!m_backend.SetValue(name, ValueType::String, data)) m_platform.DebugOut(kSaveFailed);
}

} // namespace orvane
