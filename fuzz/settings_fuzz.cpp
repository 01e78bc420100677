// The settings store reader: any stored file parses or is refused, and what parses
// serialises back to a store that parses to the same values.
#include "FileSettingsBackend.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>

using orvane::FileSettingsBackend;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::map<std::string, FileSettingsBackend::Value> values;
    if (!FileSettingsBackend::Parse(text, values)) return 0;
    std::map<std::string, FileSettingsBackend::Value> again;
    if (!FileSettingsBackend::Parse(FileSettingsBackend::Serialize(values), again)) std::abort();
    if (again.size() != values.size()) std::abort();
    for (const auto& [name, value] : values) {
        const auto it = again.find(name);
        if (it == again.end() || it->second.type != value.type || it->second.data != value.data)
            std::abort();
    }
    return 0;
}
