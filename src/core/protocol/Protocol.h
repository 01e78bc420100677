// The command protocol between dialer and device: one ASCII command line per UDP
// datagram on port 8888. One message table per direction (Incoming<K>: device to dialer,
// Outgoing<K>: dialer to device, at the end of this file) binds every keyword to its text,
// its reader and its writer, so the dialer, the emulated phone, the test driver and the
// fuzzers share one vocabulary.
//
// Every reader has the same result: std::optional<Message>. nullopt means the text is not
// that message (another keyword) or lacks a value the message needs; the receiver then
// ignores the datagram. Readers work on a text (the datagram up to its first NUL), never
// on a socket. Every text lands in a field of the width the dialer's records give; longer
// text is cut, never written past.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvane::proto {

constexpr std::uint16_t kDevicePort = 8888;
constexpr std::size_t kMaxCommandLength = 63;   // SendCommand's limit (text, without NUL)
constexpr std::size_t kMaxReceiveLength = 4000; // bytes read from one datagram
constexpr std::size_t kMaxDialLength = 25;
constexpr std::size_t kMaxLinuxLength = 56;
constexpr std::size_t kMaxInputReplyText = 30;   // text of "INPUT: %d %s" in its 40-byte area
constexpr std::size_t kPrivateUploadChunk = 950; // a chunk closes once longer than this

// Field widths (characters, without the terminating NUL) of the dialer's records.
namespace Width {
constexpr std::size_t DisplayText = 199;
constexpr std::size_t BlockText = 119;
constexpr std::size_t PbookNumber = 19;
constexpr std::size_t PbookName = 31;
constexpr std::size_t CallNumber = 15;
constexpr std::size_t CallName = 31;
constexpr std::size_t CallDate = 19;
constexpr std::size_t CallTime = 19;
constexpr std::size_t CallDuration = 19;
constexpr std::size_t MenuText = 39;
constexpr std::size_t InputField = 39;
constexpr std::size_t DevType = 9;
constexpr std::size_t DevIP = 15;
constexpr std::size_t DevName = 31;
constexpr std::size_t DevID = 33;
constexpr std::size_t Password = 29;
} // namespace Width

constexpr int kPhonebookCapacity = 1000; // items 1..999
constexpr int kCallLogCapacity = 3000;   // items 1..2999

// ---------------------------------------------------------------------------------------
// Reading rules shared by every parser.

// scanf-style reading of `text` against `tmpl`: a blank in the template matches any run
// of white space (also none), "%d" reads a signed decimal (white space skipped; the value
// is clamped to 32 bits), "%s" a word (white space skipped, up to the next white space),
// other characters must match exactly. Reading stops at the first mismatch.
struct ScanValue {
    long long number = 0;
    std::string_view word;
};
int Scan(std::string_view text, std::string_view tmpl, ScanValue* values, int maxValues);

// The rest of the message after its n-th blank (character 32), verbatim; nullopt when
// the message has fewer than n blanks.
std::optional<std::string_view> TextAfterBlank(std::string_view text, int n);

// Cuts `s` to at most `width` characters.
std::string Cut(std::string_view s, std::size_t width);

// Four decimal parts 0 to 255 joined by dots ("10.77.0.11"), no blanks, no leading zeros:
// the form in which the socket reports a sender, so equal addresses are equal texts.
bool IsDottedIPv4(std::string_view text);

// ---------------------------------------------------------------------------------------
// Keywords.

// Device to dialer, in the order they are recognised.
enum class InKeyword {
    HookOn,
    HookOff,
    LinuxStart,
    LinuxEnd,
    Linux,
    Mod,
    Add,
    Disp,
    TextKey,
    IconKey,
    Clr,
    Icon,
    Vol,
    UpdatePcList,
    Pbook,
    Calls,
    Menu,
    HideList,
    ShowNav,
    ShowList,
    ShowDialpad,
    ShowMute,
    Input,
    Orvn, // only when the whole message is longer than 10 characters
    Login,
    None,
};
// Case-sensitive prefix match in table order.
InKeyword RecognizeIncoming(std::string_view msg);
// The keyword's text; "" for None.
const char* KeywordText(InKeyword k);

// Dialer to device.
enum class OutKeyword {
    Discovery, // "ORVN: <mac>\n"
    Login,     // "LOGIN: <mac> <password>" (password may be empty) or "LOGIN: <mac>"
    Init,
    Alive,
    Stop,
    Key, // "KEY: <n>"
    Dial,
    Linux,
    DispRequest, // "DISP:" alone
    Volume,      // "VOL: <n>"
    Select,
    Add,
    Mod,
    PbookMode,     // "PBOOK: 1" / "PBOOK: 2"
    PrivateUpload, // "PBOOK: 2 " with items
    InputReply,    // "INPUT: <button> <text>"
    None,
};
// The keyword a dialer command starts with ("PBOOK:" for both the list switch and the
// private upload); "" for None.
const char* KeywordText(OutKeyword k);
// How logs and traces name a command: its keyword, but "PBOOK: 2 upload" for a batch of
// the private list, so it is not counted with the list switches; "" for None.
const char* CommandName(OutKeyword k);

// ---------------------------------------------------------------------------------------
// What the messages carry.

// A message that is its keyword alone.
struct Bare {};

struct DispMsg {
    int line = 0;
    std::string text; // rest of line after the 2nd blank (empty if that blank is missing);
                      // cut to BlockText for line 7, to DisplayText otherwise
};

struct TextKeyMsg {
    int slot = 0;
    std::string label; // empty unless two values were read
};

struct IconKeyMsg {
    int slot = 0;
    int iconCode = 0;
};

struct IconMsg {
    int icon = 0;
    int pos = 0;
};

struct VolMsg {
    int deviceCode = 0;
    int percent = 0;
    std::string text; // rest of line after the 3rd blank (empty if missing)
};

struct PbookItem {
    int index = 0; // as numbered by the device, from 1
    std::string number;
    std::string name;
};
struct PbookMsg {
    int selectedItem = -1;
    bool shortEmpty = false;      // at most 10 characters: a list with no items
    std::vector<PbookItem> items; // reading stops before an item numbered < 1 or >= 1000
};

struct CallItem {
    int index = 0;
    int callType = 0;
    std::string number, name, date, time, duration; // "^" rules applied
};
struct CallsMsg {
    int selectedItem = -1;
    bool shortEmpty = false;
    std::vector<CallItem> items; // reading stops before an item numbered < 1 or >= 3000
};

struct MenuMsg {
    int selectedItem = -1;
    std::vector<std::string> items; // texts; an item without ";" is dropped
};

struct InputRequest {
    std::string prompt, firstCaption, secondCaption, initialText;
};

struct DiscoveryReply {
    std::string type, ip, id, name;
    int busy = 0;
    int passwordRequired = 0;
    bool initOnly = false; // the five-field form
};

struct Contact {
    std::string number;
    std::string name;
};

// Every dialer command reads into this one record; `kind` says which fields are set.
struct DialerCommand {
    OutKeyword kind = OutKeyword::None;
    int number = 0;                // key code, volume, select row, mod row, pbook mode, button
    bool hasPassword = false;      // Login: the two-argument form
    std::string mac;               // Discovery, Login
    std::string text;              // password, dial number, linux line, input text
    std::string contactNumber;     // Add, Mod
    std::string contactName;       // Add, Mod
    std::vector<PbookItem> upload; // PrivateUpload
};

// Any dialer command: the one entry of the Outgoing table that reads `msg`.
std::optional<DialerCommand> ReadDialerCommand(std::string_view msg);
// Its keyword, None when no entry reads it.
OutKeyword RecognizeOutgoing(std::string_view msg);

// ---------------------------------------------------------------------------------------
// Numbers the messages carry.

// Key codes of "KEY: %d".
namespace KeyCode {
constexpr int F1 = 12, F2 = 13, F3 = 14, Menu = 15, Mute = 16, VolUp = 17, VolDown = 18, Send = 19,
              End = 20, Contacts = 23, CallLogs = 24, Dialpad = 25;
}

// "DISP:" lines: 0 to 3 one line each, 7 the block over lines 1 to 3 ("\n" between them).
// "CLR:" clears one of these lines, or a group of icons.
namespace Line {
constexpr int Top = 0, Second = 1, Third = 2, Fourth = 3, Block = 7;
}
namespace Clear {
constexpr int SmallIcons = 4;      // USB, HD and do-not-disturb icons
constexpr int StatusAndVolume = 5; // the status picture and the volume slider
} // namespace Clear
// "ICON:" codes: the small icons from 100 up; any other code is a status picture.
namespace IconCode {
constexpr int Connected = 0, Outgoing = 20, Incoming = 21, Idle = 33, Missed = 42, Hold = 43,
              Muted = 44, DndSign = 47;
constexpr int UsbOn = 100, UsbOff = 101, Registered = 102, Unregistered = 103, DndOn = 105,
              HdOn = 106, HdOff = 107;
} // namespace IconCode
// "ICON_KEY:" pictures of the three soft keys.
namespace KeyIcon {
constexpr int Back = 0, Edit = 1, Delete = 2, New = 3;
}
// "VOL:" device codes.
namespace VolDevice {
constexpr int Ringer = 1, Handset = 2;
}
// "PBOOK: %d" list switches.
namespace PbookMode {
constexpr int Own = 1, Private = 2;
}

// ---------------------------------------------------------------------------------------
// The message tables. One entry per keyword:
//   kText          the keyword the message starts with
//   Message        what Read gives
//   Read(text)     std::optional<Message> (see the head of this file)
//   Write(...)     the datagram's text; lists that span datagrams give several
// Reach them as Read<K>(text) and Write<K>(...). A new message is a keyword in its enum and
// its entry here; a keyword without an entry does not build.

template <InKeyword K> struct Incoming;
template <OutKeyword K> struct Outgoing;

// An entry whose message is its keyword alone (read as a prefix, as recognised).
template <class Entry> struct BareIncoming {
    using Message = Bare;
    static std::optional<Bare> Read(std::string_view msg) {
        if (msg.substr(0, Entry::kText.size()) != Entry::kText) return std::nullopt;
        return Bare{};
    }
    static std::string Write() { return std::string(Entry::kText); }
};

// Dialer commands read into the caller's record: ReadInto(text, out) fills `out` only when
// it reads `text` (nothing is written on the way to a refusal), so one record serves every
// entry a text is offered to, and the device's hot path moves no strings. Read wraps it.
template <class Entry> struct CommandEntry {
    using Message = DialerCommand;
    static std::optional<DialerCommand> Read(std::string_view msg) {
        std::optional<DialerCommand> c(std::in_place);
        if (!Entry::ReadInto(msg, *c)) c.reset();
        return c;
    }
};

// A dialer command that is its keyword alone (read only when nothing follows).
template <class Entry, OutKeyword K> struct BareOutgoing : CommandEntry<Entry> {
    static bool ReadInto(std::string_view msg, DialerCommand& out) {
        if (msg != Entry::kText) return false;
        out.kind = K;
        return true;
    }
    static std::string Write() { return std::string(Entry::kText); }
};

// Device to dialer.

template <> struct Incoming<InKeyword::HookOn> : BareIncoming<Incoming<InKeyword::HookOn>> {
    static constexpr std::string_view kText = "HOOK: ON";
};
template <> struct Incoming<InKeyword::HookOff> : BareIncoming<Incoming<InKeyword::HookOff>> {
    static constexpr std::string_view kText = "HOOK: OFF";
};
template <> struct Incoming<InKeyword::LinuxStart> : BareIncoming<Incoming<InKeyword::LinuxStart>> {
    static constexpr std::string_view kText = "LINUX_START:";
};
template <> struct Incoming<InKeyword::LinuxEnd> : BareIncoming<Incoming<InKeyword::LinuxEnd>> {
    static constexpr std::string_view kText = "LINUX_END:";
};
// A console fragment: everything from the eighth character on.
template <> struct Incoming<InKeyword::Linux> {
    static constexpr std::string_view kText = "LINUX:";
    using Message = std::string_view; // a view into the text read
    static std::optional<Message> Read(std::string_view msg);
    static std::string Write(std::string_view fragment); // "LINUX: %s"
};
// The device opens its contact editor: for a contact ("MOD:") or a new one ("ADD:").
template <> struct Incoming<InKeyword::Mod> : BareIncoming<Incoming<InKeyword::Mod>> {
    static constexpr std::string_view kText = "MOD:";
};
template <> struct Incoming<InKeyword::Add> : BareIncoming<Incoming<InKeyword::Add>> {
    static constexpr std::string_view kText = "ADD:";
};
template <> struct Incoming<InKeyword::Disp> {
    static constexpr std::string_view kText = "DISP:";
    using Message = DispMsg;
    static std::optional<Message> Read(std::string_view msg); // needs 2 values
    static std::string Write(int line, std::string_view text);
};
template <> struct Incoming<InKeyword::TextKey> {
    static constexpr std::string_view kText = "TEXT_KEY:";
    using Message = TextKeyMsg;
    static std::optional<Message> Read(std::string_view msg); // needs 1 value
    static std::string Write(int slot, std::string_view label);
};
template <> struct Incoming<InKeyword::IconKey> {
    static constexpr std::string_view kText = "ICON_KEY:";
    using Message = IconKeyMsg;
    static std::optional<Message> Read(std::string_view msg);
    static std::string Write(int slot, int code);
};
template <> struct Incoming<InKeyword::Clr> {
    static constexpr std::string_view kText = "CLR:";
    using Message = int; // a Line or a Clear code
    static std::optional<Message> Read(std::string_view msg);
    static std::string Write(int what);
};
template <> struct Incoming<InKeyword::Icon> {
    static constexpr std::string_view kText = "ICON:";
    using Message = IconMsg;
    static std::optional<Message> Read(std::string_view msg);
    static std::string Write(int icon, int pos);
};
// The volume screen: a VolDevice code, the level and its caption.
template <> struct Incoming<InKeyword::Vol> {
    static constexpr std::string_view kText = "VOL:";
    using Message = VolMsg;
    static std::optional<Message> Read(std::string_view msg);
    static std::string Write(int deviceCode, int percent, std::string_view text);
};
template <>
struct Incoming<InKeyword::UpdatePcList> : BareIncoming<Incoming<InKeyword::UpdatePcList>> {
    static constexpr std::string_view kText = "UPDATE_PCLIST:";
};
// Lists split into datagrams of at most maxBytes characters each (items never split);
// numbering starts at 1 in the first datagram and continues in the next ones (the
// CallItem::index given is not used). selectedItem goes into every datagram. An empty list
// is one datagram "PBOOK: <sel> ". Only the items the dialer can store travel (999 contacts,
// 2999 calls). Texts are cut to the dialer's widths; ";" travels as ","; numbers, call times
// and durations lose their blanks; call names and dates carry blanks as "^"; an empty call
// field travels as "^" (name, date) or "-" (number, time, duration): a word cannot be empty.
template <> struct Incoming<InKeyword::Pbook> {
    static constexpr std::string_view kText = "PBOOK:";
    using Message = PbookMsg;
    static std::optional<Message> Read(std::string_view msg);
    static std::vector<std::string> Write(int selectedItem, const std::vector<Contact>& contacts,
                                          std::size_t maxBytes = kMaxReceiveLength);
};
template <> struct Incoming<InKeyword::Calls> {
    static constexpr std::string_view kText = "CALLS:";
    using Message = CallsMsg;
    static std::optional<Message> Read(std::string_view msg);
    static std::vector<std::string> Write(int selectedItem, const std::vector<CallItem>& calls,
                                          std::size_t maxBytes = kMaxReceiveLength);
};
// "MENU: <sel> " then "%d %s;" numbered from 1; texts cut to MenuText, ";" sent as ",".
template <> struct Incoming<InKeyword::Menu> {
    static constexpr std::string_view kText = "MENU:";
    using Message = MenuMsg;
    static std::optional<Message> Read(std::string_view msg);
    static std::string Write(int selectedItem, const std::vector<std::string>& items);
};
template <> struct Incoming<InKeyword::HideList> : BareIncoming<Incoming<InKeyword::HideList>> {
    static constexpr std::string_view kText = "HIDE_LIST:";
};
template <> struct Incoming<InKeyword::ShowNav> : BareIncoming<Incoming<InKeyword::ShowNav>> {
    static constexpr std::string_view kText = "SHOW_NAV:";
};
template <> struct Incoming<InKeyword::ShowList> : BareIncoming<Incoming<InKeyword::ShowList>> {
    static constexpr std::string_view kText = "SHOW_LIST:";
};
template <>
struct Incoming<InKeyword::ShowDialpad> : BareIncoming<Incoming<InKeyword::ShowDialpad>> {
    static constexpr std::string_view kText = "SHOW_DIALPAD:";
};
template <> struct Incoming<InKeyword::ShowMute> {
    static constexpr std::string_view kText = "SHOW_MUTE:";
    using Message = int; // 1 shows the mute key, 0 hides it
    static std::optional<Message> Read(std::string_view msg);
    static std::string Write(bool show);
};
// A text prompt: "INPUT: 1 p;c1;c2;init"; each field cut to InputField, ";" inside a field
// sent as ",".
template <> struct Incoming<InKeyword::Input> {
    static constexpr std::string_view kText = "INPUT:";
    using Message = InputRequest;
    static std::optional<Message> Read(std::string_view msg);
    static std::string Write(const InputRequest& request);
};
// The discovery reply; the five-field form when initOnly.
template <> struct Incoming<InKeyword::Orvn> {
    static constexpr std::string_view kText = "ORVN:";
    using Message = DiscoveryReply;
    static std::optional<Message> Read(std::string_view msg);
    static std::string Write(const DiscoveryReply& reply);
};
// The login reply's number.
template <> struct Incoming<InKeyword::Login> {
    static constexpr std::string_view kText = "LOGIN:";
    using Message = int;
    static std::optional<Message> Read(std::string_view msg);
    static std::string Write(int value);
};

// Dialer to device. Every entry reads into a DialerCommand of its own kind (CommandEntry).

template <> struct Outgoing<OutKeyword::Discovery> : CommandEntry<Outgoing<OutKeyword::Discovery>> {
    static constexpr std::string_view kText = "ORVN:";
    static bool ReadInto(std::string_view msg, DialerCommand& out);
    static std::string Write(std::string_view mac); // "ORVN: %s\n"
};
template <> struct Outgoing<OutKeyword::Login> : CommandEntry<Outgoing<OutKeyword::Login>> {
    static constexpr std::string_view kText = "LOGIN:";
    static bool ReadInto(std::string_view msg, DialerCommand& out);
    static std::string Write(std::string_view mac, std::string_view password);
    static std::string Write(std::string_view mac); // the private controller's form
};
template <>
struct Outgoing<OutKeyword::Init> : BareOutgoing<Outgoing<OutKeyword::Init>, OutKeyword::Init> {
    static constexpr std::string_view kText = "INIT:";
};
template <>
struct Outgoing<OutKeyword::Alive> : BareOutgoing<Outgoing<OutKeyword::Alive>, OutKeyword::Alive> {
    static constexpr std::string_view kText = "ALIVE:";
};
template <>
struct Outgoing<OutKeyword::Stop> : BareOutgoing<Outgoing<OutKeyword::Stop>, OutKeyword::Stop> {
    static constexpr std::string_view kText = "STOP:";
};
template <> struct Outgoing<OutKeyword::Key> : CommandEntry<Outgoing<OutKeyword::Key>> {
    static constexpr std::string_view kText = "KEY:";
    static bool ReadInto(std::string_view msg, DialerCommand& out);
    static std::string Write(int code);              // "KEY: %d"
    static std::string Write(std::string_view name); // "KEY: %s"
};
// The dial number and console line are not cut: a cut number would dial someone else and a
// cut command do something else; the send path refuses texts over its limit.
template <> struct Outgoing<OutKeyword::Dial> : CommandEntry<Outgoing<OutKeyword::Dial>> {
    static constexpr std::string_view kText = "DIAL:";
    static bool ReadInto(std::string_view msg, DialerCommand& out);
    static std::string Write(std::string_view number);
};
template <> struct Outgoing<OutKeyword::Linux> : CommandEntry<Outgoing<OutKeyword::Linux>> {
    static constexpr std::string_view kText = "LINUX:";
    static bool ReadInto(std::string_view msg, DialerCommand& out);
    static std::string Write(std::string_view command);
};
template <>
struct Outgoing<OutKeyword::DispRequest>
    : BareOutgoing<Outgoing<OutKeyword::DispRequest>, OutKeyword::DispRequest> {
    static constexpr std::string_view kText = "DISP:";
};
template <> struct Outgoing<OutKeyword::Volume> : CommandEntry<Outgoing<OutKeyword::Volume>> {
    static constexpr std::string_view kText = "VOL:";
    static bool ReadInto(std::string_view msg, DialerCommand& out);
    static std::string Write(int percent);
};
template <> struct Outgoing<OutKeyword::Select> : CommandEntry<Outgoing<OutKeyword::Select>> {
    static constexpr std::string_view kText = "SELECT:";
    static bool ReadInto(std::string_view msg, DialerCommand& out);
    static std::string Write(int row);
};
template <> struct Outgoing<OutKeyword::Add> : CommandEntry<Outgoing<OutKeyword::Add>> {
    static constexpr std::string_view kText = "ADD:";
    static bool ReadInto(std::string_view msg, DialerCommand& out);
    static std::string Write(std::string_view number, std::string_view name);
};
template <> struct Outgoing<OutKeyword::Mod> : CommandEntry<Outgoing<OutKeyword::Mod>> {
    static constexpr std::string_view kText = "MOD:";
    static bool ReadInto(std::string_view msg, DialerCommand& out);
    static std::string Write(int row, std::string_view number, std::string_view name);
};
// Which list the device shows: its own (PbookMode::Own) or the dialer's private one.
template <> struct Outgoing<OutKeyword::PbookMode> : CommandEntry<Outgoing<OutKeyword::PbookMode>> {
    static constexpr std::string_view kText = "PBOOK:";
    static bool ReadInto(std::string_view msg, DialerCommand& out);
    static std::string Write(int mode); // "PBOOK: 1" or "PBOOK: 2"
};
// Private contact upload: "PBOOK: 2 " then "%d %s %s;" per record, numbered from 1; a
// chunk closes once its text is longer than kPrivateUploadChunk. Always at least one
// chunk (the bare prefix for an empty list).
template <>
struct Outgoing<OutKeyword::PrivateUpload> : CommandEntry<Outgoing<OutKeyword::PrivateUpload>> {
    static constexpr std::string_view kText = "PBOOK:";
    static constexpr std::string_view kPrefix = "PBOOK: 2 ";
    static constexpr const char* kName = "PBOOK: 2 upload";
    static bool ReadInto(std::string_view msg, DialerCommand& out);
    static std::vector<std::string> Write(const std::vector<Contact>& contacts);
};
// The answer to a text prompt; the text cut to kMaxInputReplyText.
template <>
struct Outgoing<OutKeyword::InputReply> : CommandEntry<Outgoing<OutKeyword::InputReply>> {
    static constexpr std::string_view kText = "INPUT:";
    static bool ReadInto(std::string_view msg, DialerCommand& out);
    static std::string Write(int button, std::string_view text);
};

template <InKeyword K> auto Read(std::string_view msg) -> decltype(Incoming<K>::Read(msg)) {
    return Incoming<K>::Read(msg);
}
template <OutKeyword K> auto Read(std::string_view msg) -> decltype(Outgoing<K>::Read(msg)) {
    return Outgoing<K>::Read(msg);
}
template <InKeyword K, class... Args>
auto Write(Args&&... args) -> decltype(Incoming<K>::Write(std::forward<Args>(args)...)) {
    return Incoming<K>::Write(std::forward<Args>(args)...);
}
template <OutKeyword K, class... Args>
auto Write(Args&&... args) -> decltype(Outgoing<K>::Write(std::forward<Args>(args)...)) {
    return Outgoing<K>::Write(std::forward<Args>(args)...);
}

} // namespace orvane::proto
