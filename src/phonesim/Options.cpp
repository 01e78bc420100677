#include "Options.h"

#include "Protocol.h"

#include <getopt.h>

#include <set>

namespace orvane::sim {

namespace {

bool ParseInt(const std::string& s, long long lo, long long hi, long long& out) {
    if (s.empty() || s.size() > 12) return false;
    std::size_t i = 0;
    bool neg = false;
    if (s[0] == '-') {
        neg = true;
        i = 1;
    }
    if (i >= s.size()) return false;
    long long v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        v = v * 10 + (s[i] - '0');
    }
    if (neg) v = -v;
    if (v < lo || v > hi) return false;
    out = v;
    return true;
}

bool IsWord(const std::string& s, std::size_t maxLen) {
    if (s.empty() || s.size() > maxLen) return false;
    for (char c : s) {
        auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u == 0x7F) return false;
    }
    return true;
}

bool IsPrintable(const std::string& s) {
    for (char c : s) {
        auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) return false;
    }
    return true;
}

// Splits at commas not preceded by a backslash; "\," becomes ",", "\\" becomes "\".
std::vector<std::string> SplitPairs(const std::string& settings) {
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < settings.size(); ++i) {
        char c = settings[i];
        if (c == '\\' && i + 1 < settings.size() &&
            (settings[i + 1] == ',' || settings[i + 1] == '\\')) {
            parts.back() += settings[++i];
        } else if (c == ',') {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

} // namespace

std::optional<PhoneConfig> ParsePhoneSettings(const std::string& settings, std::string& error) {
    PhoneConfig cfg;
    bool haveAddr = false;
    for (const std::string& part : SplitPairs(settings)) {
        if (part.empty()) continue;
        std::size_t eq = part.find('=');
        if (eq == std::string::npos) {
            error = "phone option '" + part + "' is not key=value";
            return std::nullopt;
        }
        std::string key = part.substr(0, eq), value = part.substr(eq + 1);
        long long n = 0;
        auto bad = [&](const std::string& what) {
            error = "phone option " + key + "='" + value + "': " + what;
            return std::nullopt;
        };
        if (key == "addr") {
            if (!IsDottedIPv4(value)) return bad("not a dotted IPv4 address");
            cfg.address = value;
            haveAddr = true;
        } else if (key == "name") {
            if (value.empty() || value.size() > proto::Width::DevName || !IsPrintable(value))
                return bad("1 to 31 printable characters");
            cfg.name = value;
        } else if (key == "type") {
            if (!IsWord(value, proto::Width::DevType)) return bad("1 to 9 characters, no blanks");
            cfg.type = value;
        } else if (key == "id") {
            if (!IsWord(value, proto::Width::DevID)) return bad("1 to 33 characters, no blanks");
            cfg.id = value;
        } else if (key == "busy") {
            if (!ParseInt(value, 0, 1, n)) return bad("0 or 1");
            cfg.busy = n == 1;
        } else if (key == "password") {
            if (!value.empty() && !IsWord(value, proto::Width::Password))
                return bad("at most 29 characters, no blanks");
            cfg.password = value;
        } else if (key == "contacts") {
            if (!ParseInt(value, 0, kMaxContacts, n)) return bad("0 to 999");
            cfg.contacts = static_cast<int>(n);
        } else if (key == "calls") {
            if (!ParseInt(value, 0, kMaxCalls, n)) return bad("0 to 2999");
            cfg.calls = static_cast<int>(n);
        } else if (key == "model") {
            if (value != "new" && value != "old") return bad("new or old");
            cfg.oldModel = value == "old";
        } else if (key == "private-mac") {
            if (!IsWord(value, 32)) return bad("a controller identity without blanks");
            cfg.privateMac = value;
        } else if (key == "ring") {
            if (!IsWord(value, Phone::kMaxDialDigits)) return bad("a number without blanks");
            cfg.ringNumber = value;
        } else if (key == "answer-ms") {
            if (!ParseInt(value, 0, 3600000, n)) return bad("0 to 3600000");
            cfg.answerAfterMs = static_cast<int>(n);
        } else if (key == "ring-ms") {
            if (!ParseInt(value, 1000, 3600000, n)) return bad("1000 to 3600000");
            cfg.ringTimeoutMs = static_cast<int>(n);
        } else if (key == "seed") {
            if (!ParseInt(value, 1, 4294967295LL, n)) return bad("1 to 4294967295");
            cfg.seed = static_cast<std::uint32_t>(n);
        } else {
            error = "unknown phone option '" + key + "'";
            return std::nullopt;
        }
    }
    if (!haveAddr) {
        error = "a --phone block needs addr=";
        return std::nullopt;
    }
    return cfg;
}

OptionsResult ParseOptions(const std::vector<std::string>& args) {
    enum : int { kPhone = 1000, kPort, kLog, kControl, kRing, kNoBroadcast, kVersion };
    static const option kLongOptions[] = {
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, kVersion},
        {"phone", required_argument, nullptr, kPhone},
        {"port", required_argument, nullptr, kPort},
        {"log", required_argument, nullptr, kLog},
        {"control", no_argument, nullptr, kControl},
        {"ring", required_argument, nullptr, kRing},
        {"no-broadcast", no_argument, nullptr, kNoBroadcast},
        {nullptr, 0, nullptr, 0},
    };
    auto fail = [](std::string e) { return OptionsResult{std::nullopt, std::move(e)}; };
    auto missing = [](int option) -> std::string {
        switch (option) {
        case kPhone: return "--phone needs a value";
        case kPort: return "--port needs 0 to 65535";
        case kLog: return "--log needs a file name (or -)";
        case kRing: return "--ring needs a number without blanks";
        default: return "an option needs a value";
        }
    };

    // getopt_long wants writable C strings behind a program name.
    std::vector<std::string> texts;
    texts.reserve(args.size() + 1);
    texts.emplace_back("orvane-phonesim");
    texts.insert(texts.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& t : texts)
        argv.push_back(t.data());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(texts.size());

    SimOptions opt;
    std::string ring;
    // "+": stop at the first word that is no option (it is refused below); ":": a missing
    // value is reported as ':', and getopt itself prints nothing.
    opterr = 0;
    optind = 0; // a fresh scan, also on a second call
    int c = 0;
    while ((c = getopt_long(argc, argv.data(), "+:h", kLongOptions, nullptr)) != -1) {
        const std::string v = optarg != nullptr ? optarg : "";
        long long n = 0;
        switch (c) {
        case 'h': opt.help = true; break;
        case kVersion: opt.version = true; break;
        case kPhone: {
            std::string err;
            auto cfg = ParsePhoneSettings(v, err);
            if (!cfg) return fail(err);
            opt.phones.push_back(*cfg);
            break;
        }
        case kPort:
            if (!ParseInt(v, 0, 65535, n)) return fail(missing(kPort));
            opt.port = static_cast<std::uint16_t>(n);
            break;
        case kLog:
            if (v.empty()) return fail(missing(kLog));
            opt.logPath = v;
            break;
        case kControl: opt.control = true; break;
        case kRing:
            if (!IsWord(v, Phone::kMaxDialDigits)) return fail(missing(kRing));
            ring = v;
            break;
        case kNoBroadcast: opt.broadcast = false; break;
        case ':': return fail(missing(optopt));
        default:
            return fail("unknown option '" + texts[static_cast<std::size_t>(optind - 1)] + "'");
        }
    }
    if (optind < argc)
        return fail("unknown option '" + texts[static_cast<std::size_t>(optind)] + "'");
    if (opt.help || opt.version) return {opt, {}};
    if (opt.phones.empty()) opt.phones.push_back(PhoneConfig{});
    std::set<std::string> seen;
    for (const PhoneConfig& p : opt.phones)
        if (!seen.insert(p.address).second) return fail("two phones with address " + p.address);
    if (!ring.empty()) opt.phones.front().ringNumber = ring;
    return {opt, {}};
}

std::string HelpText() {
    return R"(Usage: orvane-phonesim [OPTION]...
An emulated SIP desk phone (or several) for the Orvane dialer: it answers discovery on
UDP port 8888, takes logins and plays the device side of every conversation.

Options:
  --phone PHONE     add a phone (repeatable); PHONE is comma-separated key=value pairs,
                   "\," stands for a comma inside a value:
                     addr=IPV4        its own address (required); it binds addr:port
                     name=TEXT        name in discovery and on the idle screen (1-31 chars;
                                      default "Desk Phone")
                     type=WORD        device type (1-9 chars; default T1)
                     id=WORD          identifier (1-33 chars; default A0 + address in hex)
                     busy=0|1         1: held by another controller until someone takes
                                      over (default 0)
                     password=WORD    login password (default none)
                     contacts=N       generated phonebook size, 0-999 (default 60)
                     calls=N          generated call log size, 0-2999 (default 120)
                     model=new|old    old: five-field discovery reply, started with INIT:
                     private-mac=MAC  this controller may log in with "LOGIN: MAC" alone
                     ring=NUMBER      ring with a call from NUMBER at start
                     answer-ms=N      an outgoing call is answered after N ms (default 3000)
                     ring-ms=N        an unanswered incoming call is missed after N ms
                                      (default 30000)
                     seed=N           seed of the generated names and numbers
                                      (default from the address)
                   Without --phone: one phone on 127.0.0.1 with the defaults.
  --port N         UDP port of every phone (default 8888); 0 picks a free port per phone
                   (loopback tests; no broadcast then)
  --ring NUMBER    the first phone rings with a call from NUMBER at start
  --no-broadcast   do not bind the wildcard socket 0.0.0.0:PORT (by default it is bound
                   when a phone is off the loopback net, to receive broadcast discovery)
  --log FILE       write the datagram log to FILE ("-": standard error, the default)
  --control        read control lines from standard input; end of input ends the program
  --help           show this text
  --version        show the version

Private controller: a phone remembers the identity of the last controller that logged in
with "LOGIN: MAC PASSWORD"; that controller, and the one given with private-mac=, may log
in with "LOGIN: MAC" alone. A controller silent for 180 s is dropped.

Log: one line per event, fields separated by blanks:
  TIME PHONE IN FROM TEXT       a datagram received by PHONE's own address
  TIME PHONE BCAST FROM TEXT    a datagram received on the wildcard (broadcast) socket
  TIME PHONE OUT TO TEXT        a datagram sent from PHONE's address
  TIME PHONE NOTE TEXT          what the phone did or why it ignored something
  TIME PHONE STATUS ...         the phone's state, on the control line "status"
  TIME PHONE LISTEN ADDR:PORT   a bound socket (PHONE is * for the wildcard socket);
                                TIME * READY once all are bound
  TIME * CONTROL LINE           a control line read; CONTROL-ERROR why it was refused
  TIME * STOP                   the program ends
TIME is local time with milliseconds (2025-12-09T14:05:01.123). TEXT is the datagram
without its one terminating NUL, with \\ \n \r \t \0 (a NUL inside) and \xHH escapes, so
each event is one line.

Broadcast: a broadcast discovery request (to 255.255.255.255 or a subnet's .255) is
answered by every phone, each from its own address; any other broadcast datagram, and a
unicast to an address that no phone has, is logged and ignored.

Control lines (with --control), optionally starting with @ADDR to pick a phone (default
the first); TEXT takes the escapes above:
  send TEXT               send TEXT and a NUL to the phone's controller
  send-to IP:PORT TEXT    send TEXT and a NUL to IP:PORT
  raw TEXT                send exactly the bytes of TEXT (no NUL) to the controller
  ring NUMBER             an incoming call from NUMBER
  hangup                  the other party ends the call
  busy 0|1                1: held by an absent controller (the controller is dropped)
  drop                    drop the controller
  fault KIND [OPTS]       send broken datagrams; KIND is empty, oversize (more than 4000
                          bytes), nul (NUL inside the text), truncated (cut messages) or
                          garbage (random bytes)
  flood [OPTS] TEXT       send TEXT and a NUL repeatedly
  stop                    stop every fault and flood in progress
  status                  log each phone's state
  quit                    end the program
  from ADDR send|send-to|raw|fault|flood ...
                          a stranger host at ADDR (an address of this machine that no
                          phone has) sends instead of the phone; it listens on the
                          phones' port and logs what reaches it as IN under ADDR
  listen ADDR             a host at ADDR that only listens and logs what reaches it
  OPTS for fault and flood: count=N (1-1000000, default 1), rate=R per second (1-200000,
  default 100), seconds=S (1-600, default 60; the run ends at count or time, whichever
  comes first), size=N (oversize: 4001-65507 bytes, default 5000), to=IP:PORT.
  The first 3 datagrams of a run are logged as OUT lines, the rest only counted; the run
  ends with the note: run done: N sent in S s (R per second).
)";
}

} // namespace orvane::sim
