// The command protocol between dialer and device: one ASCII command line per UDP
// datagram on port 8888. Formatting and parsing for both directions, so the dialer and
// the emulated phone share one catalogue. Parsers work on a text (the datagram up to its
// first NUL), never on a socket, and return plain values. Every text lands in a field
// of the width the dialer's records give; longer text is cut, never written past.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
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
// Device to dialer.

// Incoming keywords in the order they are recognised.
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
// Case-sensitive prefix match in catalogue order.
InKeyword RecognizeIncoming(std::string_view msg);
const char* KeywordText(InKeyword k);

struct DispMsg {
    int line = 0;
    std::string text; // rest of line after the 2nd blank (empty if that blank is missing);
                      // cut to BlockText for line 7, to DisplayText otherwise
};
std::optional<DispMsg> ParseDisp(std::string_view msg); // needs 2 values

struct TextKeyMsg {
    int slot = 0;
    std::string label; // empty unless two values were read
};
std::optional<TextKeyMsg> ParseTextKey(std::string_view msg); // needs 1 value

struct IconKeyMsg {
    int slot = 0;
    int iconCode = 0;
};
std::optional<IconKeyMsg> ParseIconKey(std::string_view msg);

std::optional<int> ParseClr(std::string_view msg);

struct IconMsg {
    int icon = 0;
    int pos = 0;
};
std::optional<IconMsg> ParseIcon(std::string_view msg);

struct VolMsg {
    int deviceCode = 0;
    int percent = 0;
    std::string text; // rest of line after the 3rd blank (empty if missing)
};
std::optional<VolMsg> ParseVol(std::string_view msg);

std::optional<int> ParseShowMute(std::string_view msg);

// Text of a "LINUX:" console fragment: everything from the eighth character on.
std::string_view LinuxFragment(std::string_view msg);

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
PbookMsg ParsePbook(std::string_view msg);

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
CallsMsg ParseCalls(std::string_view msg);

struct MenuMsg {
    int selectedItem = -1;
    std::vector<std::string> items; // texts; an item without ";" is dropped
};
MenuMsg ParseMenu(std::string_view msg);

struct InputRequest {
    std::string prompt, firstCaption, secondCaption, initialText;
};
InputRequest ParseInputRequest(std::string_view msg);

struct DiscoveryReply {
    std::string type, ip, id, name;
    int busy = 0;
    int passwordRequired = 0;
    bool initOnly = false; // the five-field form
};
std::optional<DiscoveryReply> ParseDiscoveryReply(std::string_view msg);

// The number of a "LOGIN:" reply; nullopt when none converts.
std::optional<int> ParseLoginReply(std::string_view msg);

// ---------------------------------------------------------------------------------------
// Dialer to device: formatting.

std::string FormatDiscovery(std::string_view mac); // "ORVN: %s\n"
std::string FormatLogin(std::string_view mac, std::string_view password);
std::string FormatPrivateLogin(std::string_view mac);
std::string FormatKeyName(std::string_view name); // "KEY: %s"
std::string FormatKeyCode(int code);              // "KEY: %d"
std::string FormatDial(std::string_view number);
std::string FormatLinux(std::string_view command);
std::string FormatVolume(int percent);
std::string FormatSelect(int row);
std::string FormatAdd(std::string_view number, std::string_view name);
std::string FormatMod(int row, std::string_view number, std::string_view name);
std::string FormatInputReply(int button, std::string_view text);
constexpr const char* kInit = "INIT:";
constexpr const char* kStop = "STOP:";
constexpr const char* kAlive = "ALIVE:";
constexpr const char* kDispRequest = "DISP:";
constexpr const char* kUseOwnPhonebook = "PBOOK: 1";
constexpr const char* kUsePrivatePhonebook = "PBOOK: 2";
constexpr const char* kPrivateUploadPrefix = "PBOOK: 2 ";

// Private contact upload: "PBOOK: 2 " then "%d %s %s;" per record, numbered from 1; a
// chunk closes once its text is longer than kPrivateUploadChunk. Always at least one
// chunk (the bare prefix for an empty list).
struct Contact {
    std::string number;
    std::string name;
};
std::vector<std::string> FormatPrivateUpload(const std::vector<Contact>& contacts);

// Key codes of "KEY: %d".
namespace KeyCode {
constexpr int F1 = 12, F2 = 13, F3 = 14, Menu = 15, Mute = 16, VolUp = 17, VolDown = 18, Send = 19,
              End = 20, Contacts = 23, CallLogs = 24, Dialpad = 25;
}

// Numbers that the device's messages carry.
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

// ---------------------------------------------------------------------------------------
// Dialer to device: parsing, for the device side.

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
DialerCommand ParseDialerCommand(std::string_view msg);
// The keyword a dialer command starts with ("PBOOK:" for both the list switch and the
// private upload); "" for None.
const char* KeywordText(OutKeyword k);
// How logs and traces name a command: its keyword, but "PBOOK: 2 upload" for a batch of
// the private list, so it is not counted with the list switches; "" for None.
const char* CommandName(OutKeyword k);

// ---------------------------------------------------------------------------------------
// Device to dialer: formatting, for the device side.

std::string FormatDisp(int line, std::string_view text);
std::string FormatTextKey(int slot, std::string_view label);
std::string FormatIconKey(int slot, int code);
std::string FormatClr(int what);
std::string FormatIcon(int icon, int pos);
std::string FormatVolReport(int deviceCode, int percent, std::string_view text);
std::string FormatShowMute(bool show);
std::string FormatDiscoveryReply(const DiscoveryReply& reply); // five-field when initOnly
std::string FormatLoginReply(int value);
// "INPUT: 1 p;c1;c2;init"; each field cut to InputField, ";" inside a field sent as ",".
std::string FormatInputRequest(const InputRequest& request);
std::string FormatLinuxFragment(std::string_view text); // "LINUX: %s"
constexpr const char* kHookOn = "HOOK: ON";
constexpr const char* kHookOff = "HOOK: OFF";
constexpr const char* kLinuxStart = "LINUX_START:";
constexpr const char* kLinuxEnd = "LINUX_END:";
constexpr const char* kUpdatePcList = "UPDATE_PCLIST:";
constexpr const char* kHideList = "HIDE_LIST:";
constexpr const char* kShowDialpad = "SHOW_DIALPAD:";

// Lists split into datagrams of at most maxBytes characters each (items never split);
// numbering starts at 1 in the first datagram and continues in the next ones (the
// CallItem::index given is not used). selectedItem goes into every datagram. An empty list
// is one datagram "PBOOK: <sel> ". Only the items the dialer can store travel (999 contacts,
// 2999 calls). Texts are cut to the dialer's widths; ";" travels as ","; numbers, call times
// and durations lose their blanks; call names and dates carry blanks as "^"; an empty call
// field travels as "^" (name, date) or "-" (number, time, duration): a word cannot be empty.
std::vector<std::string> FormatPbook(int selectedItem, const std::vector<Contact>& contacts,
                                     std::size_t maxBytes = kMaxReceiveLength);
std::vector<std::string> FormatCalls(int selectedItem, const std::vector<CallItem>& calls,
                                     std::size_t maxBytes = kMaxReceiveLength);
// "MENU: <sel> " then "%d %s;" numbered from 1; texts cut to MenuText, ";" sent as ",".
std::string FormatMenu(int selectedItem, const std::vector<std::string>& items);

} // namespace orvane::proto
