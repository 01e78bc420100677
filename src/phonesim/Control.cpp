#include "Control.h"

#include "Escape.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace orvane::sim {

namespace {

// Splits off the first blank-separated word of `s`; `s` keeps the rest (leading blanks gone).
std::string TakeWord(std::string_view& s) {
    std::size_t b = s.find_first_not_of(' ');
    if (b == std::string_view::npos) {
        s = {};
        return {};
    }
    s.remove_prefix(b);
    std::size_t e = s.find(' ');
    std::string word(s.substr(0, e));
    s = e == std::string_view::npos ? std::string_view{} : s.substr(e + 1);
    return word;
}

bool ToNumber(const std::string& s, double lo, double hi, double& out) {
    if (s.empty() || s.size() > 12) return false;
    char* end = nullptr;
    double v = std::strtod(s.c_str(), &end);
    if (end != s.c_str() + s.size() || !(v >= lo && v <= hi)) return false;
    out = v;
    return true;
}

// Reads leading "key=value" options of fault and flood; false with `error` on a bad one.
bool ReadRunOptions(std::string_view& rest, ControlCommand& cmd, std::string& error) {
    while (true) {
        std::string_view probe = rest;
        std::string word = TakeWord(probe);
        std::size_t eq = word.find('=');
        if (eq == std::string::npos) return true;
        std::string key = word.substr(0, eq), value = word.substr(eq + 1);
        double v = 0;
        if (key == "count") {
            if (!ToNumber(value, 1, 1000000, v) || v != static_cast<double>(static_cast<long>(v))) {
                error = "count must be a whole number from 1 to 1000000";
                return false;
            }
            cmd.count = static_cast<long>(v);
        } else if (key == "rate") {
            if (!ToNumber(value, 1, kMaxRunRate, v)) {
                error = "rate must be 1 to " + std::to_string(static_cast<long>(kMaxRunRate)) +
                        " per second";
                return false;
            }
            cmd.rate = v;
        } else if (key == "seconds") {
            if (!ToNumber(value, 1, 600, v)) {
                error = "seconds must be 1 to 600";
                return false;
            }
            cmd.seconds = v;
        } else if (key == "size") {
            if (!ToNumber(value, 4001, 65507, v)) {
                error = "size must be 4001 to 65507";
                return false;
            }
            cmd.size = static_cast<std::size_t>(v);
        } else if (key == "to") {
            cmd.to = ParseEndpoint(value);
            if (!cmd.to) {
                error = "to must be IP:PORT";
                return false;
            }
        } else {
            return true; // the text itself holds "="
        }
        rest = probe;
    }
}

} // namespace

ControlResult ParseControlLine(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.remove_suffix(1);
    ControlCommand cmd;
    std::string_view rest = line;
    std::string verb = TakeWord(rest);
    if (!verb.empty() && verb[0] == '@') {
        cmd.phone = verb.substr(1);
        if (!IsDottedIPv4(cmd.phone)) return {std::nullopt, "@ must be followed by an address"};
        verb = TakeWord(rest);
    }
    // A stranger on the LAN: another address of this machine sends instead of the phone
    // (to the phone's controller unless told where), and logs what reaches it.
    if (verb == "from") {
        cmd.from = TakeWord(rest);
        if (!IsDottedIPv4(cmd.from)) return {std::nullopt, "from must be followed by an address"};
        verb = TakeWord(rest);
        if (verb != "send" && verb != "send-to" && verb != "raw" && verb != "flood" &&
            verb != "fault")
            return {std::nullopt, "from takes send, send-to, raw, flood or fault"};
    }
    auto text = [&](bool addNul) -> bool {
        auto bytes = Unescape(rest);
        if (!bytes) return false;
        cmd.bytes = *bytes;
        if (addNul) cmd.bytes += '\0';
        return true;
    };
    const std::string badEscape = "bad escape in text (use \\n \\r \\t \\0 \\\\ \\xHH)";
    if (verb == "send") {
        cmd.verb = ControlVerb::Send;
        if (!text(true)) return {std::nullopt, badEscape};
    } else if (verb == "send-to") {
        cmd.verb = ControlVerb::SendTo;
        cmd.to = ParseEndpoint(TakeWord(rest));
        if (!cmd.to) return {std::nullopt, "send-to needs IP:PORT"};
        if (!text(true)) return {std::nullopt, badEscape};
    } else if (verb == "raw") {
        cmd.verb = ControlVerb::Raw;
        if (!text(false)) return {std::nullopt, badEscape};
    } else if (verb == "ring") {
        cmd.verb = ControlVerb::Ring;
        cmd.arg = TakeWord(rest);
        if (cmd.arg.empty()) return {std::nullopt, "ring needs a number"};
    } else if (verb == "hangup") {
        cmd.verb = ControlVerb::HangUp;
    } else if (verb == "busy") {
        cmd.verb = ControlVerb::Busy;
        std::string v = TakeWord(rest);
        if (v != "0" && v != "1") return {std::nullopt, "busy needs 0 or 1"};
        cmd.flag = v == "1";
    } else if (verb == "drop") {
        cmd.verb = ControlVerb::Drop;
    } else if (verb == "fault") {
        cmd.verb = ControlVerb::Fault;
        std::string kind = TakeWord(rest);
        if (kind == "empty")
            cmd.fault = FaultKind::Empty;
        else if (kind == "oversize")
            cmd.fault = FaultKind::Oversize;
        else if (kind == "nul")
            cmd.fault = FaultKind::Nul;
        else if (kind == "truncated")
            cmd.fault = FaultKind::Truncated;
        else if (kind == "garbage")
            cmd.fault = FaultKind::Garbage;
        else
            return {std::nullopt, "fault kind must be empty, oversize, nul, truncated or garbage"};
        std::string error;
        if (!ReadRunOptions(rest, cmd, error)) return {std::nullopt, error};
        if (!TakeWord(rest).empty()) return {std::nullopt, "fault takes no text"};
    } else if (verb == "flood") {
        cmd.verb = ControlVerb::Flood;
        std::string error;
        if (!ReadRunOptions(rest, cmd, error)) return {std::nullopt, error};
        if (!text(true)) return {std::nullopt, badEscape};
        if (cmd.bytes.size() <= 1) return {std::nullopt, "flood needs a text"};
    } else if (verb == "stop") {
        cmd.verb = ControlVerb::Stop;
    } else if (verb == "status") {
        cmd.verb = ControlVerb::Status;
    } else if (verb == "quit") {
        cmd.verb = ControlVerb::Quit;
    } else if (verb == "listen") {
        // A host at ADDR that only logs what reaches it (port 8888 or the phones' port).
        cmd.verb = ControlVerb::Listen;
        cmd.from = TakeWord(rest);
        if (!IsDottedIPv4(cmd.from)) return {std::nullopt, "listen needs an address"};
    } else {
        return {std::nullopt, "unknown control command '" + verb + "'"};
    }
    return {cmd, {}};
}

std::string MakeFaultDatagram(FaultKind kind, std::uint64_t seq, std::size_t size) {
    switch (kind) {
    case FaultKind::Empty: return {};
    case FaultKind::Oversize: {
        std::string s = "DISP: 1 ";
        while (s.size() + 1 < size)
            s += static_cast<char>('A' + (s.size() + seq) % 26);
        s += '\0';
        return s;
    }
    case FaultKind::Nul: {
        static const char* const forms[] = {
            "DISP: 0 before\0after", "PBOOK: -1 1 5551234 Ann\0 Lee;2 777 Bo;",
            "LOGIN: 1\0 9",          "\0DISP: 1 hidden behind a leading NUL",
            "LINUX: out\0put\n",
        };
        const char* f = forms[seq % 5];
        // Each form is two C strings back to back; the datagram holds both and a final NUL.
        std::string first(f), second(f + first.size() + 1);
        return first + std::string(1, '\0') + second + std::string(1, '\0');
    }
    case FaultKind::Truncated: {
        static const char* const forms[] = {
            "PBOOK: -1 1 5551234 Ann Lee;2 7771", // item cut in its number
            "PBOOK: -1 1 5551234 Ann Le",         // name without ";"
            "CALLS: -1 1 0 5551234 Ann^Lee Tue^09.12.2025",
            "MENU: 0 1 Phone name;2 Do not",
            "DISP: 1",
            "TEXT_KEY:",
            "VOL: 1",
            "INPUT: 1 Phone name;OK",
            "ORVN: T1 10.77.0.11 A0B1",
            "LOGIN:",
            "ICON: 2",
            "PBOOK: -1",
            "CALLS:",
        };
        return forms[seq % (sizeof(forms) / sizeof(forms[0]))]; // no terminating NUL either
    }
    case FaultKind::Garbage: {
        std::uint64_t x = seq * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull;
        auto next = [&x]() {
            x ^= x >> 12;
            x ^= x << 25;
            x ^= x >> 27;
            return static_cast<std::uint32_t>((x * 0x2545F4914F6CDD1Dull) >> 32);
        };
        std::size_t len = 1 + next() % 300;
        std::string s;
        for (std::size_t i = 0; i < len; ++i)
            s += static_cast<char>(next() & 0xFF);
        return s;
    }
    }
    return {};
}

} // namespace orvane::sim
