#include "RegistrySettingsBackend.h"

namespace orvane {

RegistrySettingsBackend::~RegistrySettingsBackend() {
    CloseKey();
}

bool RegistrySettingsBackend::OpenKey(const std::string& path) {
    CloseKey();
    // The program's texts are bytes of the system's code page: the ANSI calls store and
    // give back exactly those bytes, as the program has always read them.
    HKEY key = nullptr;
    DWORD disposition = 0;
    const LSTATUS status = RegCreateKeyExA(m_root, path.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                                           KEY_ALL_ACCESS, nullptr, &key, &disposition);
    if (status != ERROR_SUCCESS) return false;
    m_key = key;
    return true;
}

void RegistrySettingsBackend::CloseKey() {
    if (m_key != nullptr) {
        RegCloseKey(m_key);
        m_key = nullptr;
    }
}

bool RegistrySettingsBackend::QueryValue(const std::string& name, ValueType& type,
                                         std::vector<std::uint8_t>& data, std::size_t maxBytes) {
    if (m_key == nullptr) return false;
    // One byte more than allowed, so a value that fits exactly is told from a longer one
    // without a second call.
    std::vector<std::uint8_t> buffer(maxBytes + 1);
    DWORD stored = 0;
    DWORD size = static_cast<DWORD>(buffer.size());
    const LSTATUS status =
        RegQueryValueExA(m_key, name.c_str(), nullptr, &stored, buffer.data(), &size);
    if (status != ERROR_SUCCESS || size > maxBytes) return false;
    buffer.resize(size);
    data = std::move(buffer);
    type = stored == REG_DWORD ? ValueType::Dword : ValueType::String;
    return true;
}

bool RegistrySettingsBackend::SetValue(const std::string& name, ValueType type,
                                       const std::vector<std::uint8_t>& data) {
    if (m_key == nullptr) return false;
    const DWORD stored = type == ValueType::Dword ? REG_DWORD : REG_SZ;
    return RegSetValueExA(m_key, name.c_str(), 0, stored, data.data(),
                          static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

} // namespace orvane
