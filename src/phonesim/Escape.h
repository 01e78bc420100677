// Text escaping for the datagram log and the control input.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvane::sim {

// One log line's worth of a datagram: "\\" "\n" "\r" "\t" "\0" and "\xHH" for every other
// byte outside printable ASCII, so a line never breaks and binary stays readable. A text
// longer than maxChars (after escaping) is cut and ends with "...(+N bytes)".
std::string EscapeForLog(std::string_view bytes, std::size_t maxChars = 8192);

// The text a datagram carries for the log: the bytes without their one terminating NUL.
std::string_view WithoutTerminator(std::string_view bytes);

// Reverses the escapes above in a control line ("\n", "\r", "\t", "\0", "\\", "\xHH");
// nullopt for an unknown or incomplete escape.
std::optional<std::string> Unescape(std::string_view text);

} // namespace orvane::sim
