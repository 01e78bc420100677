// The device's half of the message tables: the readers of what the dialer sends and the
// writers of what a device sends. The emulated phone is built on it.
#include "ListItems.h"
#include "Protocol.h"
#include "Text.h"

#include <algorithm>
#include <array>
#include <utility>

namespace orvane::proto {

namespace {

bool StartsWith(std::string_view s, std::string_view prefix, std::string_view* rest = nullptr) {
    if (s.size() < prefix.size() || s.compare(0, prefix.size(), prefix) != 0) return false;
    if (rest != nullptr) *rest = s.substr(prefix.size());
    return true;
}

// A whole text that is one decimal integer (optional sign, nothing around it).
std::optional<int> WholeInt(std::string_view s) {
    ScanValue v;
    if (Scan(s, "%d", &v, 1) != 1 || v.word.data() != s.data() || v.word.size() != s.size())
        return std::nullopt;
    return static_cast<int>(v.number);
}

using text::IsSpace;

// A list item text: ";" would end the item early, so it travels as ",".
std::string ItemText(std::string_view s, std::size_t width) {
    std::string r(s.substr(0, width));
    std::replace(r.begin(), r.end(), ';', ',');
    return r;
}

// A phone number inside an item: the readers end it at the first blank, so none travel.
std::string ItemNumber(std::string_view s, std::size_t width) {
    std::string r;
    r.reserve(std::min(s.size(), width));
    for (char c : s) {
        if (r.size() == width) break;
        if (!IsSpace(c)) r += c == ';' ? ',' : c;
    }
    return r;
}

// A call log word: blanks travel as "^" (the dialer restores them in the name and the date),
// and an empty field as a placeholder, since a word cannot be empty.
std::string CallWord(std::string_view s, std::size_t width, bool caretBlanks) {
    std::string r = caretBlanks ? ItemText(s, width) : ItemNumber(s, width);
    for (char& c : r) {
        if (IsSpace(c)) c = '^';
    }
    if (r.empty()) r = caretBlanks ? "^" : "-";
    return r;
}

std::string ListHeader(const char* keyword, int selectedItem) {
    std::string h = keyword;
    h += std::to_string(selectedItem);
    h += ' ';
    return h;
}

// Appends `item` to the current datagram or, when it would pass maxBytes, to a new one.
// An item never splits; one that alone passes maxBytes travels alone.
void AddItem(std::vector<std::string>& out, std::string& text, const std::string& header,
             const std::string& item, std::size_t maxBytes) {
    if (text.size() > header.size() && text.size() + item.size() > maxBytes) {
        out.push_back(std::move(text));
        text = header;
    }
    text += item;
}

// One row per entry of the Outgoing table, in keyword order: its text and its reader.
struct OutRow {
    std::string_view text;
    bool (*readInto)(std::string_view, DialerCommand&);
};
template <std::size_t... I>
constexpr std::array<OutRow, sizeof...(I)> OutgoingRows(std::index_sequence<I...>) {
    return {OutRow{Outgoing<static_cast<OutKeyword>(I)>::kText,
                   &Outgoing<static_cast<OutKeyword>(I)>::ReadInto}...};
}
constexpr auto kOutgoing =
    OutgoingRows(std::make_index_sequence<static_cast<std::size_t>(OutKeyword::None)>());

// `msg` as "<keyword> <rest>": the rest, or nullopt for another keyword.
std::optional<std::string_view> After(std::string_view msg, std::string_view keyword) {
    std::string_view rest;
    if (!StartsWith(msg, keyword, &rest) || !StartsWith(rest, " ", &rest)) return std::nullopt;
    return rest;
}

} // namespace

const char* KeywordText(OutKeyword k) {
    const auto i = static_cast<std::size_t>(k);
    return i < kOutgoing.size() ? kOutgoing[i].text.data() : ""; // the literals end in NUL
}

const char* CommandName(OutKeyword k) {
    return k == OutKeyword::PrivateUpload ? Outgoing<OutKeyword::PrivateUpload>::kName
                                          : KeywordText(k);
}

// ---------------------------------------------------------------------------------------
// Dialer to device: reading.

namespace {

// Only the entries whose keyword the text starts with are asked (at most one reads it: the
// keywords they share, "PBOOK:", are told apart by what follows).
bool ReadAnyCommand(std::string_view msg, DialerCommand& out) {
    for (const OutRow& row : kOutgoing) {
        if (msg.size() < row.text.size() || msg[0] != row.text[0] ||
            msg.compare(0, row.text.size(), row.text) != 0)
            continue;
        if (row.readInto(msg, out)) return true;
    }
    return false;
}

} // namespace

std::optional<DialerCommand> ReadDialerCommand(std::string_view msg) {
    std::optional<DialerCommand> c(std::in_place); // the one record, returned in place
    if (!ReadAnyCommand(msg, *c)) c.reset();
    return c;
}

OutKeyword RecognizeOutgoing(std::string_view msg) {
    DialerCommand c;
    return ReadAnyCommand(msg, c) ? c.kind : OutKeyword::None;
}

bool Outgoing<OutKeyword::PbookMode>::ReadInto(std::string_view msg, DialerCommand& out) {
    const auto rest = After(msg, kText);
    if (!rest || (*rest != "1" && *rest != "2")) return false;
    out.kind = OutKeyword::PbookMode;
    out.number = rest->front() - '0';
    return true;
}

bool Outgoing<OutKeyword::PrivateUpload>::ReadInto(std::string_view msg, DialerCommand& out) {
    std::string_view rest;
    if (!StartsWith(msg, kPrefix, &rest)) return false;
    out.kind = OutKeyword::PrivateUpload;
    // The private table holds 1000 records, so positions run up to 1000 here.
    out.upload = detail::ReadPbookItems(rest, kPhonebookCapacity);
    return true;
}

bool Outgoing<OutKeyword::Discovery>::ReadInto(std::string_view msg, DialerCommand& out) {
    auto rest = After(msg, kText);
    if (!rest) return false;
    while (!rest->empty() && (rest->back() == '\n' || rest->back() == '\r'))
        rest->remove_suffix(1);
    // One word: anything with a blank in it is a device's reply, not a request.
    if (std::any_of(rest->begin(), rest->end(), IsSpace)) return false;
    out.kind = OutKeyword::Discovery;
    out.mac = std::string(*rest);
    return true;
}

bool Outgoing<OutKeyword::Login>::ReadInto(std::string_view msg, DialerCommand& out) {
    const auto rest = After(msg, kText);
    if (!rest) return false;
    const std::size_t blank = rest->find(' ');
    const std::string_view mac = rest->substr(0, blank);
    if (mac.empty()) return false;
    out.kind = OutKeyword::Login;
    out.mac = std::string(mac);
    if (blank != std::string_view::npos) {
        out.hasPassword = true;
        out.text = std::string(rest->substr(blank + 1));
    }
    return true;
}

namespace {

// "<keyword> <n>" with nothing around the number.
bool NumberCommand(std::string_view msg, std::string_view keyword, OutKeyword kind,
                   DialerCommand& out) {
    const auto rest = After(msg, keyword);
    if (!rest) return false;
    const auto n = WholeInt(*rest);
    if (!n) return false;
    out.kind = kind;
    out.number = *n;
    return true;
}

// "<keyword> <text>" with a text that is not empty.
bool TextCommand(std::string_view msg, std::string_view keyword, OutKeyword kind,
                 DialerCommand& out) {
    const auto rest = After(msg, keyword);
    if (!rest || rest->empty()) return false;
    out.kind = kind;
    out.text = std::string(*rest);
    return true;
}

} // namespace

bool Outgoing<OutKeyword::Key>::ReadInto(std::string_view msg, DialerCommand& out) {
    return NumberCommand(msg, kText, OutKeyword::Key, out);
}

bool Outgoing<OutKeyword::Dial>::ReadInto(std::string_view msg, DialerCommand& out) {
    return TextCommand(msg, kText, OutKeyword::Dial, out);
}

bool Outgoing<OutKeyword::Linux>::ReadInto(std::string_view msg, DialerCommand& out) {
    return TextCommand(msg, kText, OutKeyword::Linux, out);
}

bool Outgoing<OutKeyword::Volume>::ReadInto(std::string_view msg, DialerCommand& out) {
    return NumberCommand(msg, kText, OutKeyword::Volume, out);
}

bool Outgoing<OutKeyword::Select>::ReadInto(std::string_view msg, DialerCommand& out) {
    return NumberCommand(msg, kText, OutKeyword::Select, out);
}

bool Outgoing<OutKeyword::Add>::ReadInto(std::string_view msg, DialerCommand& out) {
    const auto rest = After(msg, kText);
    if (!rest) return false;
    const std::size_t blank = rest->find(' ');
    if (blank == std::string_view::npos) return false;
    out.kind = OutKeyword::Add;
    out.contactNumber = std::string(rest->substr(0, blank));
    out.contactName = std::string(rest->substr(blank + 1));
    return true;
}

bool Outgoing<OutKeyword::Mod>::ReadInto(std::string_view msg, DialerCommand& out) {
    const auto rest = After(msg, kText);
    if (!rest) return false;
    const std::size_t blank1 = rest->find(' ');
    const std::size_t blank2 =
        blank1 == std::string_view::npos ? blank1 : rest->find(' ', blank1 + 1);
    if (blank2 == std::string_view::npos) return false;
    const auto row = WholeInt(rest->substr(0, blank1));
    if (!row) return false;
    out.kind = OutKeyword::Mod;
    out.number = *row;
    out.contactNumber = std::string(rest->substr(blank1 + 1, blank2 - blank1 - 1));
    out.contactName = std::string(rest->substr(blank2 + 1));
    return true;
}

bool Outgoing<OutKeyword::InputReply>::ReadInto(std::string_view msg, DialerCommand& out) {
    const auto rest = After(msg, kText);
    if (!rest) return false;
    const std::size_t blank = rest->find(' ');
    if (blank == std::string_view::npos) return false;
    const auto button = WholeInt(rest->substr(0, blank));
    if (!button) return false;
    out.kind = OutKeyword::InputReply;
    out.number = *button;
    out.text = std::string(rest->substr(blank + 1));
    return true;
}

// ---------------------------------------------------------------------------------------
// Device to dialer: formatting.

std::string Incoming<InKeyword::Disp>::Write(int line, std::string_view text) {
    std::string s = "DISP: " + std::to_string(line);
    s += ' ';
    s.append(text);
    return s;
}

std::string Incoming<InKeyword::TextKey>::Write(int slot, std::string_view label) {
    std::string s = "TEXT_KEY: " + std::to_string(slot);
    s += ' ';
    s.append(label);
    return s;
}

std::string Incoming<InKeyword::IconKey>::Write(int slot, int code) {
    return "ICON_KEY: " + std::to_string(slot) + " " + std::to_string(code);
}

std::string Incoming<InKeyword::Clr>::Write(int what) {
    return "CLR: " + std::to_string(what);
}

std::string Incoming<InKeyword::Icon>::Write(int icon, int pos) {
    return "ICON: " + std::to_string(icon) + " " + std::to_string(pos);
}

std::string Incoming<InKeyword::Vol>::Write(int deviceCode, int percent, std::string_view text) {
    std::string s = "VOL: " + std::to_string(deviceCode) + " " + std::to_string(percent);
    s += ' ';
    s.append(text);
    return s;
}

std::string Incoming<InKeyword::ShowMute>::Write(bool show) {
    return show ? "SHOW_MUTE: 1" : "SHOW_MUTE: 0";
}

std::string Incoming<InKeyword::Orvn>::Write(const DiscoveryReply& reply) {
    std::string s = "ORVN: ";
    s += reply.type;
    s += ' ';
    s += reply.ip;
    s += ' ';
    s += reply.id;
    s += ' ';
    s += std::to_string(reply.busy);
    s += ' ';
    if (!reply.initOnly) {
        s += std::to_string(reply.passwordRequired);
        s += ' ';
    }
    s += reply.name;
    return s;
}

std::string Incoming<InKeyword::Login>::Write(int value) {
    return "LOGIN: " + std::to_string(value);
}

std::string Incoming<InKeyword::Input>::Write(const InputRequest& request) {
    std::string s = "INPUT: 1 ";
    s += ItemText(request.prompt, Width::InputField);
    s += ';';
    s += ItemText(request.firstCaption, Width::InputField);
    s += ';';
    s += ItemText(request.secondCaption, Width::InputField);
    s += ';';
    s += ItemText(request.initialText, Width::InputField);
    return s;
}

std::string Incoming<InKeyword::Linux>::Write(std::string_view text) {
    std::string s = "LINUX: ";
    s.append(text);
    return s;
}

std::vector<std::string> Incoming<InKeyword::Pbook>::Write(int selectedItem,
                                                           const std::vector<Contact>& contacts,
                                                           std::size_t maxBytes) {
    const std::string header = ListHeader("PBOOK: ", selectedItem);
    std::vector<std::string> out;
    std::string text = header;
    // The dialer stores items 1..999 only; it would stop reading at the first beyond.
    const std::size_t count =
        std::min(contacts.size(), static_cast<std::size_t>(kPhonebookCapacity - 1));
    std::string item;
    for (std::size_t k = 0; k < count; ++k) {
        item = std::to_string(k + 1);
        item += ' ';
        item += ItemNumber(contacts[k].number, Width::PbookNumber);
        item += ' ';
        item += ItemText(contacts[k].name, Width::PbookName);
        item += ';';
        AddItem(out, text, header, item, maxBytes);
    }
    out.push_back(std::move(text));
    return out;
}

std::vector<std::string> Incoming<InKeyword::Calls>::Write(int selectedItem,
                                                           const std::vector<CallItem>& calls,
                                                           std::size_t maxBytes) {
    const std::string header = ListHeader("CALLS: ", selectedItem);
    std::vector<std::string> out;
    std::string text = header;
    const std::size_t count =
        std::min(calls.size(), static_cast<std::size_t>(kCallLogCapacity - 1));
    std::string item;
    for (std::size_t k = 0; k < count; ++k) {
        const CallItem& c = calls[k];
        item = std::to_string(k + 1);
        item += ' ';
        item += std::to_string(c.callType);
        item += ' ';
        item += CallWord(c.number, Width::CallNumber, false);
        item += ' ';
        item += CallWord(c.name, Width::CallName, true);
        item += ' ';
        item += CallWord(c.date, Width::CallDate, true);
        item += ' ';
        item += CallWord(c.time, Width::CallTime, false);
        item += ' ';
        item += CallWord(c.duration, Width::CallDuration, false);
        item += ';';
        AddItem(out, text, header, item, maxBytes);
    }
    out.push_back(std::move(text));
    return out;
}

std::string Incoming<InKeyword::Menu>::Write(int selectedItem,
                                             const std::vector<std::string>& items) {
    std::string s = ListHeader("MENU: ", selectedItem);
    for (std::size_t k = 0; k < items.size(); ++k) {
        s += std::to_string(k + 1);
        s += ' ';
        s += ItemText(items[k], Width::MenuText);
        s += ';';
    }
    return s;
}

} // namespace orvane::proto
