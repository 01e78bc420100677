// The settings store on Linux: one small typed file per key under the per-login runtime
// directory (XDG_RUNTIME_DIR), which the system removes at log-out, so the settings live
// until then, as the volatile registry key they stand for. Writes go to a file aside and
// are renamed over the store, so a crash never leaves a half-written store.
#pragma once

#include "ports.h"

#include <map>
#include <string>
#include <vector>

namespace orvane {

class FileSettingsBackend : public SettingsBackend {
  public:
    // runtimeDir: the per-login runtime directory; empty means the backend cannot open.
    explicit FileSettingsBackend(std::string runtimeDir);

    bool OpenKey(const std::string& path) override;
    void CloseKey() override;
    bool QueryValue(const std::string& name, ValueType& type, std::vector<std::uint8_t>& data,
                    std::size_t maxBytes) override;
    bool SetValue(const std::string& name, ValueType type,
                  const std::vector<std::uint8_t>& data) override;

    // The file that holds a key ("Software\Kelmar\VorIvorov" ->
    // <runtimeDir>/Software/Kelmar/VorIvorov.settings).
    std::string FileFor(const std::string& keyPath) const;

    struct Value {
        ValueType type = ValueType::String;
        std::vector<std::uint8_t> data;
    };
    // The store's file format, as text; Parse gives nothing for a damaged store.
    static std::string Serialize(const std::map<std::string, Value>& values);
    static bool Parse(const std::string& text, std::map<std::string, Value>& values);

  private:
    bool Load();
    bool Save();

    std::string m_runtimeDir;
    std::string m_file; // empty while no key is open
    std::map<std::string, Value> m_values;
};

} // namespace orvane
