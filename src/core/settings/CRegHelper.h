// One operation on the dialer's settings key: open (creating it when missing), read or
// write a value, close on destruction. Failures are silent towards the user; reads and
// writes that fail leave one line on the debug output.
#pragma once

#include "ports.h"

#include <cstdint>
#include <string>

namespace orvane {

constexpr const char* kSettingsKeyPath = "Software\\Kelmar\\VorIvorov";
constexpr const char* kValueNameFirst = "Device List Starts With Name";
constexpr const char* kValuePrivateController = "Private Controller";
constexpr const char* kValuePrivateDeviceIp = "Private Device IP";

class CRegHelper {
  public:
    CRegHelper(SettingsBackend& backend, Platform& platform);
    virtual ~CRegHelper();
    CRegHelper(const CRegHelper&) = delete;
    CRegHelper& operator=(const CRegHelper&) = delete;

    bool CreateKey(const std::string& path);
    // A number is read from at most 4 stored bytes, little-endian, zero-extended; the
    // stored type is not looked at. False (target unchanged) on any failure.
    bool ReadDword(const std::string& name, std::uint32_t& target);
    // A text of at most 4096 stored bytes, up to its first NUL.
    bool ReadString(const std::string& name, std::string& target);
    void WriteDword(const std::string& name, std::uint32_t value);
    void WriteString(const std::string& name, const std::string& value);

  private:
    SettingsBackend& m_backend;
    Platform& m_platform;
    bool m_bOpen = false;
};

} // namespace orvane
