#include "Console.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>

namespace orvane::sim {

namespace {

constexpr const char* kKernel = "4.9.118-orvane";
constexpr const char* kFirmware = "2.4.1";
// Characters a shell would give a meaning beyond plain words. The console refuses them
// rather than pretend: there is no substitution, pipe, redirection or command list here.
constexpr std::string_view kShellSyntax = ";&|$`<>(){}\\";

const char* const kBuiltins[] = {"cat",  "cd",   "date",     "df",    "echo",     "false",
                                 "free", "help", "hostname", "id",    "ifconfig", "ls",
                                 "ps",   "pwd",  "true",     "uname", "uptime",   "whoami"};

struct Node {
    bool dir = false;
    std::string content; // files only
};

std::string Printf(const char* fmt, long long a, long long b = 0, long long c = 0) {
    char buf[128];
    std::snprintf(buf, sizeof buf, fmt, a, b, c);
    return buf;
}

std::string UptimeText(std::int64_t up) {
    long long days = up / 86400, hours = up / 3600 % 24, mins = up / 60 % 60;
    std::string s = "up ";
    if (days > 0) s += std::to_string(days) + (days == 1 ? " day, " : " days, ");
    if (hours > 0 || days > 0)
        s += Printf("%2lld:%02lld", hours, mins);
    else
        s += std::to_string(mins) + " min";
    return s;
}

std::string ClockText(std::time_t t, const char* fmt) {
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[64];
    std::strftime(buf, sizeof buf, fmt, &tm);
    return buf;
}

// The made-up file tree, built for one command from the phone's current state.
std::map<std::string, Node> BuildTree(const ConsoleContext& ctx) {
    std::map<std::string, Node> t;
    auto dir = [&](const std::string& p) { t[p] = Node{true, {}}; };
    auto file = [&](const std::string& p, std::string text) {
        t[p] = Node{false, std::move(text)};
    };
    for (const char* d : {"/", "/bin", "/dev", "/etc", "/proc", "/root", "/tmp", "/usr", "/usr/bin",
                          "/usr/share", "/var", "/var/log"})
        dir(d);
    file("/bin/busybox", "");
    file("/bin/sh", "");
    file("/dev/null", "");
    file("/dev/console", "");
    file("/etc/hostname", ctx.hostname + "\n");
    file("/etc/issue", "Orvane SIP Phone " + ctx.model + " - firmware " + kFirmware + "\n");
    file("/etc/version", std::string(kFirmware) + "\n");
    file("/etc/hosts", "127.0.0.1\tlocalhost\n" + ctx.address + "\tphone\n");
    file("/etc/sip.conf", "[account1]\nregistrar = sip.example.invalid\nuser = " + ctx.id +
                              "\npassword = ********\ncodecs = G722,PCMA,PCMU\n");
    file("/proc/version", std::string("Linux version ") + kKernel +
                              " (build@orvane) (gcc version 8.3.0) #1 SMP PREEMPT\n");
    file("/proc/uptime",
         std::to_string(ctx.uptimeSec) + ".00 " + std::to_string(ctx.uptimeSec * 9 / 10) + ".00\n");
    file("/proc/loadavg", "0.08 0.03 0.01 1/57 412\n");
    file("/proc/cpuinfo", "processor\t: 0\nmodel name\t: ARMv7 Processor rev 5 (v7l)\n"
                          "BogoMIPS\t: 48.00\nHardware\t: Orvane T-series\n");
    file("/proc/meminfo", "MemTotal:         124168 kB\nMemFree:           61240 kB\n"
                          "MemAvailable:      88412 kB\n");
    std::string messages;
    for (const std::string& e : ctx.events)
        messages += e + "\n";
    file("/var/log/messages", messages);
    return t;
}

// Absolute, normalised form of `path` seen from `cwd`.
std::string Normalise(const std::string& cwd, const std::string& path) {
    std::string full = !path.empty() && path[0] == '/' ? path : cwd + "/" + path;
    std::vector<std::string> parts;
    std::size_t i = 0;
    while (i <= full.size()) {
        std::size_t j = full.find('/', i);
        if (j == std::string::npos) j = full.size();
        std::string part = full.substr(i, j - i);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        i = j + 1;
    }
    std::string out;
    for (const std::string& p : parts)
        out += "/" + p;
    return out.empty() ? "/" : out;
}

std::vector<std::string> Children(const std::map<std::string, Node>& tree, const std::string& dir) {
    std::vector<std::string> out;
    std::string prefix = dir == "/" ? "/" : dir + "/";
    for (const auto& [path, node] : tree) {
        if (path.size() <= prefix.size() || path.compare(0, prefix.size(), prefix) != 0) continue;
        if (path.find('/', prefix.size()) == std::string::npos)
            out.push_back(path.substr(prefix.size()));
    }
    return out;
}

// Splits a command line into words; quotes group, nothing else is interpreted.
std::optional<std::vector<std::string>> Words(std::string_view line, std::string& error) {
    std::vector<std::string> words;
    std::string cur;
    bool inWord = false;
    char quote = 0;
    for (char c : line) {
        if (quote) {
            if (c == quote)
                quote = 0;
            else
                cur += c;
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
            inWord = true;
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (inWord) words.push_back(cur);
            cur.clear();
            inWord = false;
        } else {
            cur += c;
            inWord = true;
        }
    }
    if (quote) {
        error = "sh: syntax error: unterminated quoted string\n";
        return std::nullopt;
    }
    if (inWord) words.push_back(cur);
    return words;
}

std::string LongEntry(const Node& node, const std::string& name) {
    std::string size = std::to_string(node.dir ? 0 : node.content.size());
    std::string line =
        node.dir ? "drwxr-xr-x    2 root     root     " : "-rw-r--r--    1 root     root     ";
    line +=
        std::string(size.size() < 8 ? 8 - size.size() : 0, ' ') + size + " Jan  1 00:00 " + name;
    return line + "\n";
}

} // namespace

std::string PhoneConsole::Run(std::string_view line, const ConsoleContext& ctx) {
    for (char c : line) {
        if (kShellSyntax.find(c) != std::string_view::npos)
            return std::string("sh: '") + c +
                   "': substitutions, pipes, redirections and command lists are not supported\n";
    }
    std::string error;
    auto words = Words(line, error);
    if (!words) return error;
    if (words->empty()) return {};
    const std::string cmd = (*words)[0];
    std::vector<std::string> args(words->begin() + 1, words->end());
    const auto tree = BuildTree(ctx);
    std::string out;

    if (cmd == "help") {
        out = "Built-in commands:";
        for (const char* b : kBuiltins)
            out += std::string(" ") + b;
        out += "\n";
    } else if (cmd == "echo") {
        bool newline = true;
        std::size_t first = 0;
        if (!args.empty() && args[0] == "-n") {
            newline = false;
            first = 1;
        }
        for (std::size_t i = first; i < args.size(); ++i)
            out += (i > first ? " " : "") + args[i];
        if (newline) out += "\n";
    } else if (cmd == "true" || cmd == "false") {
    } else if (cmd == "pwd") {
        out = m_cwd + "\n";
    } else if (cmd == "whoami") {
        out = "root\n";
    } else if (cmd == "id") {
        out = "uid=0(root) gid=0(root) groups=0(root)\n";
    } else if (cmd == "hostname") {
        out = ctx.hostname + "\n";
    } else if (cmd == "date") {
        out = ClockText(ctx.now, "%a %b %e %H:%M:%S %Z %Y") + "\n";
    } else if (cmd == "uptime") {
        out = ClockText(ctx.now, " %H:%M:%S ") + UptimeText(ctx.uptimeSec) +
              ",  load average: 0.08, 0.03, 0.01\n";
    } else if (cmd == "uname") {
        std::string flags;
        for (const std::string& a : args) {
            if (a.size() < 2 || a[0] != '-' ||
                a.find_first_not_of("asnrvmo", 1) != std::string::npos)
                return "uname: invalid option -- '" + a + "'\nUsage: uname [-asnrvmo]\n";
            flags += a.substr(1);
        }
        if (flags.empty()) flags = "s";
        if (flags.find('a') != std::string::npos) flags = "snrvmo";
        const std::pair<char, std::string> fields[] = {{'s', "Linux"},  {'n', ctx.hostname},
                                                       {'r', kKernel},  {'v', "#1 SMP PREEMPT"},
                                                       {'m', "armv7l"}, {'o', "GNU/Linux"}};
        for (const auto& [f, text] : fields)
            if (flags.find(f) != std::string::npos) out += (out.empty() ? "" : " ") + text;
        out += "\n";
    } else if (cmd == "free") {
        out = "              total        used        free      shared  buff/cache   available\n"
              "Mem:         124168       35756       61240         112       27172       88412\n"
              "Swap:             0           0           0\n";
    } else if (cmd == "df") {
        out = "Filesystem           1K-blocks      Used Available Use% Mounted on\n"
              "/dev/root                 28672     24312      4360  85% /\n"
              "tmpfs                     62084       112     61972   0% /tmp\n";
    } else if (cmd == "ps") {
        out = "  PID USER       VSZ STAT COMMAND\n"
              "    1 root      1484 S    init\n"
              "  212 root      1480 S    syslogd -n\n"
              "  248 root     14312 S    sipd -c /etc/sip.conf\n"
              "  251 root     22876 S    phoned\n"
              "  412 root      1488 R    sh -c " +
              std::string(line.substr(0, 40)) + "\n";
    } else if (cmd == "ifconfig") {
        out =
            "eth0      Link encap:Ethernet\n          inet addr:" + ctx.address +
            "  Mask:255.255.255.0\n          UP BROADCAST RUNNING MULTICAST  MTU:1500\n\n"
            "lo        Link encap:Local Loopback\n          inet addr:127.0.0.1  Mask:255.0.0.0\n";
    } else if (cmd == "cd") {
        std::string target = args.empty() ? "/root" : Normalise(m_cwd, args[0]);
        auto it = tree.find(target);
        if (it == tree.end())
            return "sh: cd: can't cd to " + args[0] + ": No such file or directory\n";
        if (!it->second.dir) return "sh: cd: can't cd to " + args[0] + ": Not a directory\n";
        m_cwd = target;
    } else if (cmd == "cat") {
        if (args.empty()) return "cat: reading standard input is not supported here\n";
        for (const std::string& a : args) {
            auto it = tree.find(Normalise(m_cwd, a));
            if (it == tree.end())
                out += "cat: can't open '" + a + "': No such file or directory\n";
            else if (it->second.dir)
                out += "cat: read error: Is a directory\n";
            else
                out += it->second.content;
        }
    } else if (cmd == "ls") {
        bool all = false, longForm = false;
        std::vector<std::string> paths;
        for (const std::string& a : args) {
            if (a.size() > 1 && a[0] == '-') {
                for (char f : a.substr(1)) {
                    if (f == 'a')
                        all = true;
                    else if (f == 'l')
                        longForm = true;
                    else
                        return std::string("ls: invalid option -- '") + f + "'\n";
                }
            } else {
                paths.push_back(a);
            }
        }
        if (paths.empty()) paths.push_back(".");
        for (const std::string& p : paths) {
            std::string abs = Normalise(m_cwd, p);
            auto it = tree.find(abs);
            if (it == tree.end()) {
                out += "ls: " + p + ": No such file or directory\n";
                continue;
            }
            if (paths.size() > 1 && it->second.dir) out += p + ":\n";
            std::vector<std::string> names =
                it->second.dir ? Children(tree, abs) : std::vector<std::string>{p};
            if (all && it->second.dir) names.insert(names.begin(), {".", ".."});
            for (const std::string& n : names) {
                if (longForm) {
                    std::string childPath = it->second.dir ? Normalise(abs, n) : abs;
                    auto child = tree.find(childPath);
                    out += LongEntry(child != tree.end() ? child->second : Node{true, {}}, n);
                } else {
                    out += n + "\n";
                }
            }
        }
    } else {
        return "sh: " + cmd + ": not found\n";
    }
    if (out.size() > kMaxOutput) out = out.substr(0, kMaxOutput) + "\n[output cut]\n";
    return out;
}

} // namespace orvane::sim
