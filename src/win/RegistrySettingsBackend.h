// The settings store on Windows: the registry key itself under HKEY_CURRENT_USER, created
// volatile, so it and its values last until the user logs off.
#pragma once

#include "ports.h"

#include "WinApi.h"

namespace orvane {

class RegistrySettingsBackend : public SettingsBackend {
  public:
    explicit RegistrySettingsBackend(HKEY root = HKEY_CURRENT_USER) : m_root(root) {}
    ~RegistrySettingsBackend() override;
    RegistrySettingsBackend(const RegistrySettingsBackend&) = delete;
    RegistrySettingsBackend& operator=(const RegistrySettingsBackend&) = delete;

    bool OpenKey(const std::string& path) override;
    void CloseKey() override;
    bool QueryValue(const std::string& name, ValueType& type, std::vector<std::uint8_t>& data,
                    std::size_t maxBytes) override;
    bool SetValue(const std::string& name, ValueType type,
                  const std::vector<std::uint8_t>& data) override;

  private:
    HKEY m_root;
    HKEY m_key = nullptr;
};

} // namespace orvane
