// The settings store on Linux: the key's values in an INI file (QSettings' format) under the
// per-login runtime folder (XDG_RUNTIME_DIR), which the system empties at log-out, so the
// settings live until then, as the volatile registry key they stand for. QSettings writes
// the file aside and renames it over the store, so a crash never leaves a half-written one.
#pragma once

#include "ports.h"

#include <QString>

#include <map>
#include <string>
#include <vector>

class QtSettingsBackend : public orvane::SettingsBackend {
  public:
    // runtimeDir: the per-login runtime folder; empty means the backend cannot open, which
    // the first open says once on stderr (the settings are then not kept).
    explicit QtSettingsBackend(QString runtimeDir);

    bool OpenKey(const std::string& path) override;
    void CloseKey() override;
    bool QueryValue(const std::string& name, orvane::ValueType& type,
                    std::vector<std::uint8_t>& data, std::size_t maxBytes) override;
    bool SetValue(const std::string& name, orvane::ValueType type,
                  const std::vector<std::uint8_t>& data) override;

    // The file that holds a key ("Software\Kelmar\VorIvorov" ->
    // <runtimeDir>/Software/Kelmar/VorIvorov.ini); empty for a path that is not one.
    QString fileFor(const std::string& keyPath) const;

  private:
    struct Value {
        orvane::ValueType type = orvane::ValueType::String;
        std::vector<std::uint8_t> data;
    };
    bool load();
    bool save(const std::map<std::string, Value>& values);

    QString m_runtimeDir;
    QString m_file; // empty while no key is open
    std::map<std::string, Value> m_values;
    bool m_toldNoRuntimeDir = false;
};
