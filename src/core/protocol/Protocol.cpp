// The dialer's half of the message tables: the readers of what the device sends and the
// writers of what the dialer sends. Shared reading rules (Scan, TextAfterBlank, Cut) live
// here too.
#include "Protocol.h"

#include "ListItems.h"
#include "Text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <utility>

namespace orvane::proto {

namespace {

using text::IsSpace;

void SkipSpace(std::string_view s, std::size_t& pos) {
    while (pos < s.size() && IsSpace(s[pos]))
        ++pos;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads an optional sign and decimal digits at `pos` (no white space skipped). On success
// moves `pos` past the number and gives its value clamped to 32 bits.
bool ReadInt(std::string_view s, std::size_t& pos, long long& value) {
    std::size_t i = pos;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    const std::size_t digitsStart = i;
    long long v = 0;
    // Anything past 2^32 clamps the same way, so stop growing there (no overflow).
    constexpr long long kCap = 1LL << 33;
    while (i < s.size() && IsDigit(s[i])) {
        if (v < kCap) v = v * 10 + (s[i] - '0');
        ++i;
    }
    if (i == digitsStart) return false;
    if (negative) v = -v;
    constexpr long long kMin = std::numeric_limits<std::int32_t>::min();
    constexpr long long kMax = std::numeric_limits<std::int32_t>::max();
    value = v < kMin ? kMin : (v > kMax ? kMax : v);
    pos = i;
    return true;
}

// Reads a run of non-white-space characters at `pos`; false when there is none.
bool ReadWord(std::string_view s, std::size_t& pos, std::string_view& word) {
    const std::size_t start = pos;
    while (pos < s.size() && !IsSpace(s[pos]))
        ++pos;
    word = s.substr(start, pos - start);
    return pos > start;
}

// How many times `c` occurs in `s`: sizes the item vectors before they fill.
std::size_t CountChar(std::string_view s, char c) {
    std::size_t count = 0;
    const char* p = s.data();
    const char* end = p + s.size();
    while (p < end) {
        const void* hit = std::memchr(p, c, static_cast<std::size_t>(end - p));
        if (hit == nullptr) break;
        ++count;
        p = static_cast<const char*>(hit) + 1;
    }
    return count;
}

int ToInt(long long v) {
    return static_cast<int>(v);
} // Scan already clamped it

// Where `inner` (a view into `outer`) ends, as an index into `outer`.
std::size_t EndOf(std::string_view outer, std::string_view inner) {
    return static_cast<std::size_t>(inner.data() - outer.data()) + inner.size();
}

struct ListStart {
    int selectedItem = -1;
    std::size_t itemsPos = std::string_view::npos; // npos: no blank after SelectedItem
};

// Reads SelectedItem from character `first` on (blanks skipped) and finds where the items
// begin: after the next blank.
ListStart ReadListStart(std::string_view msg, std::size_t first) {
    ListStart r;
    if (first >= msg.size()) return r;
    std::string_view rest = msg.substr(first);
    std::size_t pos = first;
    ScanValue v;
    if (Scan(rest, "%d", &v, 1) == 1) {
        r.selectedItem = ToInt(v.number);
        pos = EndOf(msg, v.word);
    }
    const std::size_t blank = msg.find(' ', pos);
    if (blank != std::string_view::npos) r.itemsPos = blank + 1;
    return r;
}

// Turns up to `count` "^" of `s` into blanks, from the left.
void CaretsToBlanks(std::string& s, int count) {
    for (char& c : s) {
        if (count == 0) break;
        if (c == '^') {
            c = ' ';
            --count;
        }
    }
}

template <std::size_t... I>
constexpr std::array<std::string_view, sizeof...(I)> IncomingTexts(std::index_sequence<I...>) {
    return {Incoming<static_cast<InKeyword>(I)>::kText...};
}
// The keyword texts in recognition order, from the table.
constexpr auto kIncoming =
    IncomingTexts(std::make_index_sequence<static_cast<std::size_t>(InKeyword::None)>());

bool HasPrefix(std::string_view msg, std::string_view keyword) {
    return msg.size() >= keyword.size() && msg.compare(0, keyword.size(), keyword) == 0;
}

} // namespace

// ---------------------------------------------------------------------------------------
// Reading rules.

int Scan(std::string_view text, std::string_view tmpl, ScanValue* values, int maxValues) {
    std::size_t i = 0;
    std::size_t t = 0;
    int count = 0;
    while (t < tmpl.size()) {
        const char c = tmpl[t];
        if (IsSpace(c)) {
            SkipSpace(text, i);
            ++t;
            continue;
        }
        if (c == '%' && t + 1 < tmpl.size()) {
            const char conv = tmpl[t + 1];
            SkipSpace(text, i); // every conversion skips white space first, as scanf does
            if (conv == '%') {
                if (i < text.size() && text[i] == '%') {
                    ++i;
                    t += 2;
                    continue;
                }
                break;
            }
            if ((conv != 'd' && conv != 's') || values == nullptr || count >= maxValues) break;
            const std::size_t start = i;
            ScanValue& out = values[count];
            if (conv == 'd') {
                long long v = 0;
                if (!ReadInt(text, i, v)) break;
                out.number = v;
                out.word = text.substr(start, i - start);
            } else {
                if (!ReadWord(text, i, out.word)) break;
                out.number = 0;
            }
            ++count;
            t += 2;
            continue;
        }
        if (i < text.size() && text[i] == c) {
            ++i;
            ++t;
            continue;
        }
        break;
    }
    return count;
}

bool IsDottedIPv4(std::string_view text) {
    std::size_t pos = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (pos >= text.size() || text[pos] != '.') return false;
            ++pos;
        }
        const std::size_t start = pos;
        int value = 0;
        while (pos < text.size() && pos - start < 3 && text[pos] >= '0' && text[pos] <= '9')
            value = value * 10 + (text[pos++] - '0');
        const std::size_t digits = pos - start;
        if (digits == 0 || value > 255 || (digits > 1 && text[start] == '0')) return false;
    }
    return pos == text.size();
}

std::optional<std::string_view> TextAfterBlank(std::string_view text, int n) {
    std::size_t pos = 0;
    for (int k = 0; k < n; ++k) {
        const std::size_t blank = text.find(' ', pos);
        if (blank == std::string_view::npos) return std::nullopt;
        pos = blank + 1;
    }
    return text.substr(pos);
}

std::string Cut(std::string_view s, std::size_t width) {
    return std::string(s.substr(0, width));
}

// ---------------------------------------------------------------------------------------
// Device to dialer.

InKeyword RecognizeIncoming(std::string_view msg) {
    for (std::size_t k = 0; k < kIncoming.size(); ++k) {
        const std::string_view kw = kIncoming[k];
        if (msg.size() >= kw.size() && msg[0] == kw[0] &&
            std::memcmp(msg.data(), kw.data(), kw.size()) == 0) {
            const auto keyword = static_cast<InKeyword>(k);
            if (keyword == InKeyword::Orvn && msg.size() <= 10)
                continue; // a short "ORVN:" is no discovery reply
            return keyword;
        }
    }
    return InKeyword::None;
}

const char* KeywordText(InKeyword k) {
    const auto i = static_cast<std::size_t>(k);
    if (i >= kIncoming.size()) return "";
    return kIncoming[i].data(); // the literals are NUL-terminated
}

std::optional<DispMsg> Incoming<InKeyword::Disp>::Read(std::string_view msg) {
    ScanValue v[2];
    if (Scan(msg, "DISP: %d %s", v, 2) < 2) return std::nullopt;
    DispMsg r;
    r.line = ToInt(v[0].number);
    const std::size_t width = r.line == 7 ? Width::BlockText : Width::DisplayText;
    r.text = Cut(TextAfterBlank(msg, 2).value_or(std::string_view{}), width);
    return r;
}

std::optional<TextKeyMsg> Incoming<InKeyword::TextKey>::Read(std::string_view msg) {
    ScanValue v[2];
    const int count = Scan(msg, "TEXT_KEY: %d %s", v, 2);
    if (count < 1) return std::nullopt;
    TextKeyMsg r;
    r.slot = ToInt(v[0].number);
    if (count == 2)
        r.label = Cut(TextAfterBlank(msg, 2).value_or(std::string_view{}), Width::DisplayText);
    return r;
}

std::optional<IconKeyMsg> Incoming<InKeyword::IconKey>::Read(std::string_view msg) {
    ScanValue v[2];
    if (Scan(msg, "ICON_KEY: %d %d", v, 2) < 2) return std::nullopt;
    return IconKeyMsg{ToInt(v[0].number), ToInt(v[1].number)};
}

std::optional<int> Incoming<InKeyword::Clr>::Read(std::string_view msg) {
    ScanValue v;
    if (Scan(msg, "CLR: %d", &v, 1) < 1) return std::nullopt;
    return ToInt(v.number);
}

std::optional<IconMsg> Incoming<InKeyword::Icon>::Read(std::string_view msg) {
    ScanValue v[2];
    if (Scan(msg, "ICON: %d %d", v, 2) < 2) return std::nullopt;
    return IconMsg{ToInt(v[0].number), ToInt(v[1].number)};
}

std::optional<VolMsg> Incoming<InKeyword::Vol>::Read(std::string_view msg) {
    ScanValue v[2];
    if (Scan(msg, "VOL: %d %d", v, 2) < 2) return std::nullopt;
    VolMsg r;
    r.deviceCode = ToInt(v[0].number);
    r.percent = ToInt(v[1].number);
    r.text = Cut(TextAfterBlank(msg, 3).value_or(std::string_view{}), Width::DisplayText);
    return r;
}

std::optional<int> Incoming<InKeyword::ShowMute>::Read(std::string_view msg) {
    ScanValue v;
    if (Scan(msg, "SHOW_MUTE: %d", &v, 1) < 1) return std::nullopt;
    return ToInt(v.number);
}

std::optional<std::string_view> Incoming<InKeyword::Linux>::Read(std::string_view msg) {
    if (!HasPrefix(msg, kText)) return std::nullopt;
    return msg.size() > 7 ? msg.substr(7) : std::string_view{};
}

namespace detail {

std::vector<PbookItem> ReadPbookItems(std::string_view s, int maxIndex) {
    std::vector<PbookItem> items;
    items.reserve(CountChar(s, ';'));
    std::size_t p = 0;
    const std::size_t n = s.size();
    while (p < n) {
        if (s[p] == ' ') ++p; // the item may follow the previous ";" after one blank
        long long index = 0;
        std::size_t q = p;
        if (!ReadInt(s, q, index) || index < 1 || index > maxIndex) break;
        if (q >= n || s[q] != ' ') break;
        const std::size_t numberStart = q + 1;
        const std::size_t numberEnd = s.find(' ', numberStart);
        if (numberEnd == std::string_view::npos) break;
        const std::size_t nameStart = numberEnd + 1;
        const std::size_t semi = s.find(';', nameStart);
        if (semi == std::string_view::npos) break;
        PbookItem& item = items.emplace_back();
        item.index = ToInt(index);
        item.number = Cut(s.substr(numberStart, numberEnd - numberStart), Width::PbookNumber);
        item.name = Cut(s.substr(nameStart, semi - nameStart), Width::PbookName);
        p = semi + 1;
    }
    return items;
}

} // namespace detail

std::optional<PbookMsg> Incoming<InKeyword::Pbook>::Read(std::string_view msg) {
    if (!HasPrefix(msg, kText)) return std::nullopt;
    PbookMsg r;
    const ListStart start = ReadListStart(msg, 7);
    r.selectedItem = start.selectedItem;
    if (msg.size() <= 10) {
        r.shortEmpty = true;
        return r;
    }
    if (start.itemsPos == std::string_view::npos) return r;
    r.items = detail::ReadPbookItems(msg.substr(start.itemsPos), kPhonebookCapacity - 1);
    return r;
}

std::optional<CallsMsg> Incoming<InKeyword::Calls>::Read(std::string_view msg) {
    if (!HasPrefix(msg, kText)) return std::nullopt;
    CallsMsg r;
    const ListStart start = ReadListStart(msg, 7);
    r.selectedItem = start.selectedItem;
    if (msg.size() <= 10) {
        r.shortEmpty = true;
        return r;
    }
    if (start.itemsPos == std::string_view::npos) return r;
    const std::string_view s = msg.substr(start.itemsPos);
    r.items.reserve(CountChar(s, ';') + 1);
    std::size_t p = 0;
    while (p < s.size()) {
        // "%d %d %s %s %s %s %s": every value skips the white space before it.
        std::size_t i = p;
        long long index = 0;
        long long callType = 0;
        std::string_view number, name, date, time, duration;
        SkipSpace(s, i);
        if (!ReadInt(s, i, index)) break;
        SkipSpace(s, i);
        if (!ReadInt(s, i, callType)) break;
        SkipSpace(s, i);
        if (!ReadWord(s, i, number)) break;
        SkipSpace(s, i);
        if (!ReadWord(s, i, name)) break;
        SkipSpace(s, i);
        if (!ReadWord(s, i, date)) break;
        SkipSpace(s, i);
        if (!ReadWord(s, i, time)) break;
        SkipSpace(s, i);
        if (!ReadWord(s, i, duration)) break;
        if (index < 1 || index >= kCallLogCapacity) break;
        CallItem& item = r.items.emplace_back();
        item.index = ToInt(index);
        item.callType = ToInt(callType);
        item.number = Cut(number, Width::CallNumber);
        item.name = Cut(name, Width::CallName);
        CaretsToBlanks(item.name, 2);
        item.date = Cut(date, Width::CallDate);
        CaretsToBlanks(item.date, 1);
        item.time = Cut(time, Width::CallTime);
        item.duration = Cut(duration.substr(0, duration.find(';')), Width::CallDuration);
        // The next item begins after the first ";" from this item's start.
        const std::size_t semi = s.find(';', p);
        if (semi == std::string_view::npos) break;
        p = semi + 1;
    }
    return r;
}

std::optional<MenuMsg> Incoming<InKeyword::Menu>::Read(std::string_view msg) {
    if (!HasPrefix(msg, kText)) return std::nullopt;
    MenuMsg r;
    const ListStart start = ReadListStart(msg, 6);
    r.selectedItem = start.selectedItem;
    if (start.itemsPos == std::string_view::npos) return r;
    const std::string_view s = msg.substr(start.itemsPos);
    r.items.reserve(CountChar(s, ';'));
    std::size_t p = 0;
    while (p < s.size()) {
        if (s[p] == ' ') ++p;
        long long index = 0; // the device's numbering; rows are counted here instead
        std::size_t q = p;
        if (!ReadInt(s, q, index) || q >= s.size() || s[q] != ' ') break;
        const std::size_t semi = s.find(';', q + 1);
        if (semi == std::string_view::npos) break; // an item without its ";" is dropped
        r.items.push_back(Cut(s.substr(q + 1, semi - q - 1), Width::MenuText));
        p = semi + 1;
    }
    return r;
}

std::optional<InputRequest> Incoming<InKeyword::Input>::Read(std::string_view msg) {
    if (!HasPrefix(msg, kText)) return std::nullopt;
    InputRequest r;
    if (msg.size() <= 7) return r;
    const std::size_t blank = msg.find(' ', 7); // skips the token after "INPUT: "
    if (blank == std::string_view::npos) return r;
    std::string* fields[] = {&r.prompt, &r.firstCaption, &r.secondCaption, &r.initialText};
    std::size_t p = blank + 1;
    const std::size_t n = msg.size();
    for (std::string* field : fields) {
        if (p >= n) break;
        const std::size_t limit = std::min(n, p + Width::InputField);
        std::size_t semi = msg.find(';', p);
        if (semi != std::string_view::npos && semi < limit) {
            *field = std::string(msg.substr(p, semi - p));
            p = semi + 1;
        } else if (limit - p == Width::InputField) {
            // Cut at full width: the character after it is taken to be the ";".
            *field = std::string(msg.substr(p, Width::InputField));
            p = limit + 1;
        } else {
            *field = std::string(msg.substr(p));
            p = n;
        }
    }
    return r;
}

std::optional<DiscoveryReply> Incoming<InKeyword::Orvn>::Read(std::string_view msg) {
    ScanValue v[6];
    int count = Scan(msg, "ORVN: %s %s %s %d %d %s", v, 6);
    bool shortTemplate = false;
    if (count == 4) {
        count = Scan(msg, "ORVN: %s %s %s %d %s", v, 5);
        shortTemplate = true;
    }
    if (count != 5 && count != 6) return std::nullopt;
    DiscoveryReply r;
    r.type = Cut(v[0].word, Width::DevType);
    r.ip = Cut(v[1].word, Width::DevIP);
    r.id = Cut(v[2].word, Width::DevID);
    r.busy = ToInt(v[3].number);
    r.initOnly = count == 5;
    // The word %s read is the name when the blanks run out before it. Five values from the
    // six-field template end at a number: no name word was read then.
    std::string_view nameWord;
    if (count == 6) {
        r.passwordRequired = ToInt(v[4].number);
        nameWord = v[5].word;
    } else if (shortTemplate) {
        nameWord = v[4].word;
    }
    const auto rest = TextAfterBlank(msg, count);
    r.name = Cut(rest ? *rest : nameWord, Width::DevName);
    return r;
}

std::optional<int> Incoming<InKeyword::Login>::Read(std::string_view msg) {
    ScanValue v;
    if (Scan(msg, "LOGIN: %d", &v, 1) < 1) return std::nullopt;
    return ToInt(v.number);
}

// ---------------------------------------------------------------------------------------
// Dialer to device.

namespace {

std::string Join(std::initializer_list<std::string_view> parts) {
    std::size_t size = 0;
    for (std::string_view p : parts)
        size += p.size();
    std::string s;
    s.reserve(size);
    for (std::string_view p : parts)
        s.append(p);
    return s;
}

} // namespace

std::string Outgoing<OutKeyword::Discovery>::Write(std::string_view mac) {
    return Join({"ORVN: ", mac, "\n"});
}

std::string Outgoing<OutKeyword::Login>::Write(std::string_view mac, std::string_view password) {
    return Join({"LOGIN: ", mac, " ", password});
}

std::string Outgoing<OutKeyword::Login>::Write(std::string_view mac) {
    return Join({"LOGIN: ", mac});
}

std::string Outgoing<OutKeyword::Key>::Write(std::string_view name) {
    return Join({"KEY: ", name});
}

std::string Outgoing<OutKeyword::Key>::Write(int code) {
    return "KEY: " + std::to_string(code);
}

std::string Outgoing<OutKeyword::Dial>::Write(std::string_view number) {
    return Join({"DIAL: ", number});
}

std::string Outgoing<OutKeyword::Linux>::Write(std::string_view command) {
    return Join({"LINUX: ", command});
}

std::string Outgoing<OutKeyword::Volume>::Write(int percent) {
    return "VOL: " + std::to_string(percent);
}

std::string Outgoing<OutKeyword::Select>::Write(int row) {
    return "SELECT: " + std::to_string(row);
}

std::string Outgoing<OutKeyword::Add>::Write(std::string_view number, std::string_view name) {
    return Join({"ADD: ", number, " ", name});
}

std::string Outgoing<OutKeyword::Mod>::Write(int row, std::string_view number,
                                             std::string_view name) {
    return Join({"MOD: ", std::to_string(row), " ", number, " ", name});
}

std::string Outgoing<OutKeyword::PbookMode>::Write(int mode) {
    return "PBOOK: " + std::to_string(mode);
}

std::string Outgoing<OutKeyword::InputReply>::Write(int button, std::string_view text) {
    return Join({"INPUT: ", std::to_string(button), " ", text.substr(0, kMaxInputReplyText)});
}

std::vector<std::string>
Outgoing<OutKeyword::PrivateUpload>::Write(const std::vector<Contact>& contacts) {
    std::vector<std::string> chunks;
    std::string text(kPrefix);
    text.reserve(kPrivateUploadChunk + 64);
    for (std::size_t k = 0; k < contacts.size(); ++k) {
        if (text.size() > kPrivateUploadChunk) {
            chunks.push_back(std::move(text));
            text = kPrefix;
            text.reserve(kPrivateUploadChunk + 64);
        }
        text += std::to_string(k + 1);
        text += ' ';
        text.append(std::string_view(contacts[k].number).substr(0, Width::PbookNumber));
        text += ' ';
        text.append(std::string_view(contacts[k].name).substr(0, Width::PbookName));
        text += ';';
    }
    chunks.push_back(std::move(text));
    return chunks;
}

} // namespace orvane::proto
