// One emulated desk phone: the device side of every conversation with a dialer. It is fed
// datagrams and clock ticks and answers through an IPhoneOutput; it owns no socket, so
// tests drive it directly.
//
// Control rules:
// - Discovery ("ORVN: <mac>\n") is answered by anyone, also on broadcast; every other
//   broadcast datagram is ignored (a phone obeys only commands addressed to it).
// - "LOGIN: <mac> <password>" is accepted when the password matches or none is set; it
//   takes the phone from any other controller. The phone remembers the identity of the
//   last controller that logged in this way: that controller (or the one given with
//   `privateMac`) is its private controller and may log in with "LOGIN: <mac>" alone.
// - The older model answers discovery in the five-field form and is taken with "INIT:"
//   (it knows no "LOGIN:"); the newer model ignores "INIT:".
// - The controller is the endpoint (address and port) that logged in. Commands from any
//   other endpoint are logged and ignored. "STOP:" releases the phone; a controller that
//   sends nothing for 180 s is dropped.
#pragma once

#include "Console.h"
#include "Directory.h"
#include "Protocol.h"
#include "SimTypes.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::sim {

struct PhoneConfig {
    std::string address = "127.0.0.1";
    std::string name = "Desk Phone";
    std::string type = "T1";
    std::string id;       // empty: made from the address
    bool busy = false;    // held by another (absent) controller until taken over
    std::string password; // empty: no password needed
    int contacts = 60;
    int calls = 120;
    bool oldModel = false;     // five-field discovery reply, started with "INIT:"
    std::string privateMac;    // may log in with "LOGIN: <mac>" from the start
    std::string ringNumber;    // rings with a call from this number when started
    int answerAfterMs = 3000;  // an outgoing call is answered after this ring time
    int ringTimeoutMs = 30000; // an incoming call not answered by then is missed
    std::uint32_t seed = 0;    // 0: made from the address
};

// "A0" followed by the address bytes in hexadecimal, e.g. "A00A4D000B" for 10.77.0.11.
std::string DefaultIdFor(std::string_view address);
std::uint32_t DefaultSeedFor(std::string_view address);

class Phone {
  public:
    static constexpr std::int64_t kControllerTimeoutMs = 180000;
    static constexpr std::int64_t kVolumeScreenMs = 5000;
    static constexpr std::int64_t kDialTimeoutMs = 60000;
    static constexpr std::int64_t kCallTimerStepMs = 1000;
    // A list datagram's text; with its NUL it is exactly the dialer's 4000-byte read.
    static constexpr std::size_t kListDatagramText = 3999;
    static constexpr std::size_t kConsoleFragment = 1000;
    static constexpr std::size_t kMaxDialDigits = 32;
    static constexpr std::size_t kMaxEvents = 40;

    enum class CallState { Idle, Dialing, Ringback, Connected, Incoming };
    enum class Screen { Home, Phonebook, CallLog, Menu, Editor, Volume, Info };

    Phone(PhoneConfig config, IPhoneOutput& out, const IClock& clock);

    // Starts what the configuration asks for at start (an incoming call).
    void Start();

    // One received datagram: its bytes as they came, the NUL included.
    void OnDatagram(const Endpoint& from, std::string_view bytes, bool broadcast);
    // Runs whatever is due (call answered, timer text, missed call, controller dropped).
    void OnTimer();
    std::optional<std::int64_t> NextDeadline() const;

    // Control from the test or the operator.
    // Sends exactly `bytes`; to the controller when `to` is empty. False when nobody to send to.
    bool SendBytes(const std::string& bytes, const std::optional<Endpoint>& to = std::nullopt);
    bool Ring(const std::string& number); // an incoming call
    bool RemoteHangUp();                  // the other party ends the call
    void SetBusy(bool busy);              // held by an absent controller, or free again
    void DropController(std::string_view why);

    // What the phone is, for the log and for tests.
    const std::string& Address() const { return m_config.address; }
    const std::string& Name() const { return m_config.name; }
    std::optional<Endpoint> ControllerEndpoint() const;
    std::string ControllerMac() const;
    CallState Call() const { return m_call; }
    Screen CurrentScreen() const { return m_screen; }
    bool OffHook() const { return m_offHook; }
    int RingerVolume() const { return m_ringerVolume; }
    int HandsetVolume() const { return m_handsetVolume; }
    const std::vector<ContactRecord>& Contacts() const { return m_contacts; }
    const std::vector<ContactRecord>& PrivateContacts() const { return m_privateContacts; }
    bool UsesPrivateContacts() const { return m_usePrivate; }
    const std::vector<CallRecord>& Calls() const { return m_calls; }
    std::string StatusLine() const;

  private:
    struct Controller {
        std::string mac; // empty for a controller that started the older model with "INIT:"
        Endpoint endpoint;
        std::int64_t lastHeardMs = 0;
    };
    enum class Prompt { None, PhoneName };

    // Conversations.
    void HandleCommand(const Endpoint& from, std::string_view text);
    void AnswerDiscovery(const Endpoint& from, const std::string& mac);
    void HandleLogin(const Endpoint& from, const std::string& mac, bool withPassword,
                     const std::string& password);
    void TakeControl(const Endpoint& from, const std::string& mac);
    bool BusyFor(const std::string& mac, const Endpoint& from) const;
    void ExpireController();

    // Keys and screens.
    void OnKey(int code);
    void OnDigit(char digit);
    void OnSoftKey(int slot);
    void OnSend();
    void OnEnd();
    void ChangeVolume(int value, bool absolute);
    void Select(int row);
    void SaveContact(bool isNew, int row, const std::string& number, const std::string& name);
    void DeleteSelected();
    void OpenMenuItem(int item);
    void OnInputReply(int button, const std::string& text);
    void SwitchPrivate(bool on);
    void StorePrivateUpload(const std::vector<proto::PbookItem>& items);
    void RunConsole(const std::string& line);

    // Calls.
    void GoOffHookToDial(std::string digits);
    void PlaceCall(const std::string& number);
    void Connect();
    void Answer();
    void HangUp();
    void MissIncoming(const char* why);
    void SetOffHook(bool on);
    void RecordCall(CallKind kind, const std::string& number, const std::string& name,
                    std::time_t when, int durationSec);
    std::string NameForNumber(const std::string& number) const;

    // Painting: what the device sends to show a screen.
    void PaintScreen();
    void PaintHome();
    void PaintCallTimer();
    void SendPhonebook();
    void SendPhonebookKeys();
    void SendCallLog();
    void SendCallLogKeys();
    void SendMenu();
    void SendVolume();
    void SendInfo(const std::string& block);
    void ShowMessage(const std::string& text); // a short notice on display line 0

    const std::vector<ContactRecord>& Book() const;
    std::vector<std::string> MenuItems() const;
    std::string IdleLine() const;
    bool ShowsIdleClock() const;
    std::int64_t Now() const { return m_clock.NowMs(); }

    void Send(const Endpoint& to, const std::string& text);
    void ToController(const std::string& text);
    void Note(const std::string& text);

    PhoneConfig m_config;
    IPhoneOutput& m_out;
    const IClock& m_clock;
    std::int64_t m_startMs = 0;

    // Control.
    std::optional<Controller> m_controller;
    bool m_heldByAbsent = false;
    std::string m_rememberedMac;

    // Telephony.
    CallState m_call = CallState::Idle;
    bool m_offHook = false;
    bool m_muted = false;
    bool m_held = false;
    bool m_dnd = false;
    bool m_callWasIncoming = false;
    std::string m_dialBuffer;
    std::string m_dtmf;
    std::string m_callNumber;
    std::string m_callName;
    std::string m_lastDialed;
    std::time_t m_callWallStart = 0;
    std::int64_t m_answerAtMs = 0;
    std::int64_t m_connectedMs = 0;
    std::int64_t m_nextTickMs = 0;
    std::int64_t m_ringUntilMs = 0;
    std::int64_t m_dialUntilMs = 0;
    int m_missed = 0;
    int m_ringerVolume = 60;
    int m_handsetVolume = 50;

    // Screens.
    Screen m_screen = Screen::Home;
    Screen m_volumeReturn = Screen::Home;
    std::int64_t m_volumeUntilMs = 0;
    int m_bookCursor = -1;
    int m_callCursor = -1;
    int m_menuCursor = 0;
    bool m_editorNew = true;
    Prompt m_prompt = Prompt::None;
    std::string m_shownIdleLine; // what display line 1 shows on the idle screen

    // Data.
    std::vector<ContactRecord> m_contacts;
    std::vector<ContactRecord> m_privateContacts;
    bool m_usePrivate = false;
    std::vector<CallRecord> m_calls;
    PhoneConsole m_console;
    std::deque<std::string> m_events;
};

} // namespace orvane::sim
