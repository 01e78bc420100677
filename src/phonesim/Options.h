// The command line of orvane-phonesim.
#pragma once

#include "Phone.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvane::sim {

struct SimOptions {
    std::vector<PhoneConfig> phones; // at least one after parsing
    std::uint16_t port = 8888;       // 0: any free port (each phone its own; no broadcast)
    std::string logPath;             // empty or "-": standard error
    bool control = false;            // read control lines from standard input
    bool broadcast = true;           // wildcard socket when a phone is off the loopback net
    bool help = false;
    bool version = false;
};

struct OptionsResult {
    std::optional<SimOptions> options;
    std::string error; // set when options is empty
};

// `args` without the program name.
OptionsResult ParseOptions(const std::vector<std::string>& args);

// One "--phone" block: comma-separated key=value pairs ("\," is a comma in a value).
std::optional<PhoneConfig> ParsePhoneSettings(const std::string& settings, std::string& error);

std::string HelpText();

} // namespace orvane::sim
