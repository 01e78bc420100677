#include "Directory.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace orvane::sim {

namespace {

const char* const kFirstNames[] = {
    "Anna",   "Ben",    "Clara",  "David",  "Eva",    "Felix",  "Greta", "Hugo",   "Ida",   "Jonas",
    "Karla",  "Lukas",  "Maria",  "Noah",   "Olga",   "Paul",   "Quinn", "Rosa",   "Simon", "Tara",
    "Ulla",   "Victor", "Wanda",  "Xaver",  "Yara",   "Zoran",  "Amir",  "Bea",    "Carl",  "Dora",
    "Emil",   "Frida",  "Gustav", "Hanna",  "Igor",   "Julia",  "Kai",   "Lena",   "Marek", "Nina",
    "Oskar",  "Petra",  "Rafael", "Sofia",  "Tomas",  "Ute",    "Vera",  "Willem", "Aylin", "Bruno",
    "Chiara", "Dmitri", "Elif",   "Fabian", "Gloria", "Henrik", "Ines",  "Jakob",  "Katya", "Leon",
};
const char* const kLastNames[] = {
    "Berg",   "Novak",   "Lindqvist", "Moreau",  "Fischer",   "Costa",   "Jansen",   "Kowalski",
    "Rossi",  "Schmidt", "Dubois",    "Weber",   "Horvat",    "Nielsen", "Petrov",   "Garcia",
    "Keller", "Larsen",  "Marino",    "Olsen",   "Popescu",   "Quist",   "Richter",  "Santos",
    "Toth",   "Urban",   "Vogel",     "Wagner",  "Yilmaz",    "Zimmer",  "Andersen", "Brandt",
    "Cerny",  "Dahl",    "Eriksen",   "Ferrari", "Gruber",    "Hansen",  "Ivanova",  "Jovanovic",
    "Kraus",  "Lange",   "Meyer",     "Nagy",    "Ostrowski", "Peters",  "Romano",   "Sorensen",
    "Tamm",   "Unger",   "Varga",     "Winter",  "Albrecht",  "Bauer",   "Conti",    "Dvorak",
    "Engel",  "Fuchs",   "Graf",      "Hofer",
};
const char* const kCompanies[] = {
    "Reception", "Front Desk", "Helpdesk",   "Sales",    "Support",    "Billing",
    "Warehouse", "Lab 2",      "Conference", "Security", "Facilities", "Night Desk",
};
constexpr int kFirstCount = sizeof(kFirstNames) / sizeof(kFirstNames[0]);
constexpr int kLastCount = sizeof(kLastNames) / sizeof(kLastNames[0]);
constexpr int kCompanyCount = sizeof(kCompanies) / sizeof(kCompanies[0]);

// A small deterministic generator (xorshift32); the standard engines are deterministic too,
// but their distributions are not the same on every library.
class Rng {
  public:
    explicit Rng(std::uint32_t seed) : m_state(seed ? seed : 0x9E3779B9u) {}
    std::uint32_t Next() {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint32_t>(n)); }

  private:
    std::uint32_t m_state;
};

std::string Digits(Rng& rng, int n) {
    std::string s;
    for (int i = 0; i < n; ++i)
        s += static_cast<char>('0' + rng.Below(10));
    return s;
}

std::string MakeNumber(Rng& rng) {
    switch (rng.Below(6)) {
    case 0: return std::to_string(200 + rng.Below(800));                        // extension
    case 1: return "+49" + std::to_string(30 + rng.Below(60)) + Digits(rng, 8); // international
    case 2: return "01" + std::to_string(50 + rng.Below(30)) + Digits(rng, 7);  // mobile
    default: return "0" + std::to_string(20 + rng.Below(80)) + Digits(rng, 7);  // national
    }
}

std::string Lower(const std::string& s) {
    std::string r = s;
    for (char& c : r)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return r;
}

} // namespace

bool ContactLess(const ContactRecord& a, const ContactRecord& b) {
    std::string la = Lower(a.name), lb = Lower(b.name);
    if (la != lb) return la < lb;
    return a.number < b.number;
}

std::vector<ContactRecord> GenerateContacts(int count, std::uint32_t seed) {
    count = std::clamp(count, 0, kMaxContacts);
    Rng rng(seed);
    std::vector<ContactRecord> out;
    out.reserve(static_cast<std::size_t>(count));
    // Walking the name grid with a stride coprime to its size gives distinct names.
    const int grid = kFirstCount * kLastCount;
    const int stride = 1291;
    int cell = rng.Below(grid);
    for (int i = 0; i < count; ++i) {
        ContactRecord c;
        if (i % 37 == 5) {
            c.name = std::string(kCompanies[(i / 37) % kCompanyCount]);
            if (i / 37 >= kCompanyCount) c.name += " " + std::to_string(i / 37 / kCompanyCount + 1);
        } else {
            c.name =
                std::string(kFirstNames[cell % kFirstCount]) + " " + kLastNames[cell / kFirstCount];
            if (i % 11 == 3) // a middle initial now and then: still at most two blanks
                c.name = std::string(kFirstNames[cell % kFirstCount]) + " " +
                         static_cast<char>('A' + rng.Below(26)) + ". " +
                         kLastNames[cell / kFirstCount];
            cell = (cell + stride) % grid;
        }
        c.number = MakeNumber(rng);
        out.push_back(std::move(c));
    }
    std::sort(out.begin(), out.end(), ContactLess);
    return out;
}

std::vector<CallRecord> GenerateCalls(int count, std::uint32_t seed,
                                      const std::vector<ContactRecord>& contacts, std::time_t now) {
    count = std::clamp(count, 0, kMaxCalls);
    Rng rng(seed ^ 0x5bd1e995u);
    std::vector<CallRecord> out;
    out.reserve(static_cast<std::size_t>(count));
    std::time_t t = now;
    for (int i = 0; i < count; ++i) {
        t -= 300 + rng.Below(4 * 3600); // a few calls a day, going back in time
        CallRecord c;
        c.when = t;
        int kind = rng.Below(10);
        c.kind = kind < 4 ? CallKind::Incoming : kind < 8 ? CallKind::Outgoing : CallKind::Missed;
        if (!contacts.empty() && rng.Below(10) < 8) {
            const ContactRecord& p =
                contacts[static_cast<std::size_t>(rng.Below(static_cast<int>(contacts.size())))];
            c.number = p.number.substr(0, kCallNumberWidth);
            c.name = p.name;
        } else {
            c.number = MakeNumber(rng).substr(0, kCallNumberWidth);
            c.name = "Unknown";
        }
        c.durationSec = c.kind == CallKind::Missed ? 0 : 5 + rng.Below(rng.Below(4) ? 300 : 3600);
        out.push_back(std::move(c));
    }
    return out;
}

std::string CallDateText(std::time_t when) {
    std::tm tm{};
    localtime_r(&when, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%a %d.%m.%Y", &tm);
    return buf;
}

std::string CallTimeText(std::time_t when) {
    std::tm tm{};
    localtime_r(&when, &tm);
    char buf[16];
    std::strftime(buf, sizeof buf, "%H:%M", &tm);
    return buf;
}

std::string DurationText(int seconds) {
    if (seconds < 0) seconds = 0;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    return buf;
}

} // namespace orvane::sim
