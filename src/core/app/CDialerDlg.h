// The main dialog: the one state record of the program and every handler. The shell
// turns window events into calls of the On... operations and draws Face() afterwards.
#pragma once

#include "CDropTrace.h"
#include "FaceModel.h"
#include "Protocol.h"
#include "RecordTable.h"
#include "UdpSocket.h"
#include "ports.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace orvane {

// Screens of the phone face.
enum FaceMode {
    FaceDialpad = 0,
    FacePhonebook = 1,
    FaceCallLog = 2,
    FaceMenu = 3, // also the value at start-up
    FaceContactEditor = 4,
    FaceVolume = 5,
};

// Timers of the dialog window.
namespace Timer {
constexpr int KeepAlive = 1;
constexpr int VolumeDrag = 3;
constexpr int Connect = 4;
constexpr int SearchEnd = 5;
constexpr int DropTrace = 6; // its period is CDropTrace::kPeriodMs

// Their periods, in milliseconds.
constexpr unsigned KeepAliveMs = 60000;    // restarted by every SendCommand
constexpr unsigned VolumeDragMs = 500;     // after the last slider move
constexpr unsigned ConnectMs = 500;        // at start, and before the search after a release
constexpr unsigned PrivateLoginMs = 10000; // between private logins, until a reply comes
constexpr unsigned SearchEndMs = 3500;     // after a search starts
constexpr unsigned EnumerateEndMs = 3000;  // after "Enumerate"
} // namespace Timer

struct DeviceEntry {
    std::string szType; // at most 9 characters
    std::string szIP;   // at most 15
    std::string szName; // at most 31
    std::string szID;   // at most 33
    int nBusy = 0;
    int nPasswordRequired = 0;
    int bInitOnly = 0;
};

struct PhonebookEntry {
    std::string number; // at most 19 characters
    std::string name;   // at most 31
};

struct CallLogEntry {
    int CallType = 0;
    std::string Number;   // at most 15 characters
    std::string Name;     // at most 31
    std::string Date;     // at most 19
    std::string Time;     // at most 19
    std::string Duration; // at most 19
};

class CDialerDlg : public DatagramSink {
  public:
    struct Ports {
        DatagramPort& socket;
        TimerHost& timers;
        Dialogs& dialogs;
        SettingsBackend& settings;
        Platform& platform;
    };

    // Creates the socket and reads the controller identity.
    explicit CDialerDlg(Ports ports);
    ~CDialerDlg();
    CDialerDlg(const CDialerDlg&) = delete;
    CDialerDlg& operator=(const CDialerDlg&) = delete;

    // --- Lifecycle -----------------------------------------------------------------------
    // Builds the face, reads the settings and the private contact file, starts timers 4 and
    // 5, and connects the socket to the dispatcher. privateContactsPath: the private
    // contact file, "PrivateContacts.txt" in the working directory for the real program.
    void OnInitDialog(const std::string& privateContactsPath = "PrivateContacts.txt");
    // A device address the user named at start (the --connect option). The start-up search
    // then asks only that address, as "Set IP" does, and broadcasts nothing; its result is
    // taken as a search's (one free phone: connected). A private controller logs into its
    // own phone as usual. Call before OnInitDialog; at most 59 characters count.
    void SetStartAddress(std::string addr);
    // Enter on the face (the dialog's OK command).
    void OnOK();
    // Escape: closes like the close box, so a controlled phone is released.
    void OnCancel();
    // The close box.
    void OnClose();
    // True once the dialog has ended; the shell then closes the window.
    bool IsEnded() const { return m_ended; }
    // A phone is under control: addressed and logged into, and the entry edit is not
    // asking for an address or a password.
    bool IsControlling() const;

    // --- Events from the shell -----------------------------------------------------------
    void OnTimer(int id);
    // A click of a button (control id) or a menu command (menu item id).
    void OnCommand(int id);
    // NM_CLICK of a list: the clicked row, -1 when the click hit no row.
    void OnListClick(int listId, int row);
    // A row activated: Enter on the selected row, or a double click (whose first click
    // has been reported as a click already: clicked). What a click does, and on the
    // phonebook and the call log then the row's number is dialled as SEND dials it.
    void OnListActivate(int listId, int row, bool clicked);
    // A key typed on the computer keyboard: '0' to '9', '*' or '#' acts as that keypad key
    // while the keypad is usable, unless the user is typing into the entry edit itself
    // (an address, a password, a console line). False when the key was not taken.
    bool OnKeyboardKeypad(char key);
    // Backspace on the computer keyboard: the backspace of the dialling face, when it
    // applies. False when the key was not taken.
    bool OnKeyboardBackspace();
    // Any scroll notification of the volume slider; its position is already in the model.
    void OnVolumeSlider();
    // One received datagram's text (up to its first NUL) from `sender` (dotted IPv4): the
    // one way datagrams enter the dialog. Only what the phone in use may send is handed
    // to OnDeviceMessage; the rest is dropped and traced.
    void OnDatagram(std::string_view sender, std::string_view msg) override;
    // One message to handle, as if the phone in use sent it.
    void OnDeviceMessage(std::string_view msg);

    // --- The send routine ----------------------------------------------------------------
    // Sends one command line (at most 63 characters) to the controlled device and restarts
    // the keep-alive timer. A longer line is refused with a warning and not sent.
    void SendCommand(std::string_view text);

    // --- Face ----------------------------------------------------------------------------
    FaceModel& Face() { return m_face; }
    const FaceModel& Face() const { return m_face; }
    UdpSocket& Socket() { return m_socket; }

    // Screens.
    void ShowKeypad(bool show);
    void ShowDialpadScreen();
    void ShowPhonebookScreen();
    void ShowCallLogScreen();
    void ShowMenuScreen();
    void SetTabImages(TabState state);

    // Incoming messages.
    void SetDisplayLine(int vp, std::string text);

    // Discovery and login.
    // Asks for devices by broadcast, or only at `only` when it is given.
    void SearchDevices(const std::string& only = std::string());
    void OnClickDeviceList(int row); // -1: no click information
    void SetDeviceListColumns();
    void FillDeviceList();
    void UpdateDevicesMenu();

    // Keys.
    void SendKeyCode(int code); // the key-code routine: 19 runs the SEND action
    void ShowContactEditor(bool modify);
    void SendContact();

    // Private contacts.
    void LoadPrivateContacts(const std::string& path);
    void UploadPrivateContacts();

    // --- What the state record shows the shells -------------------------------------------
    // The "Set IP" prompt is on view and its address not applied yet.
    bool isAddressEntry() const { return m_addressEntry; }
    // The entry edit takes the password of the phone being logged into.
    bool isPasswordPending() const { return m_bPasswordPending; }
    // The entry edit takes console lines for the phone's Linux console.
    bool isConsoleMode() const { return m_consoleMode; }
    // Attached to one phone as its private controller.
    bool isPrivateController() const { return m_nPrivateController != 0; }
    // The controller identity: the first adapter's MAC as text.
    const std::string& localMac() const { return m_szLocalMac; }
    // The password typed for the phone being logged into (at most 29 characters).
    const std::string& password() const { return m_szPassword; }

    // The device table (rows from 0; a row outside it reads as an empty entry) and the
    // counts of the lists the phone sent.
    int deviceCount() const { return m_nDeviceCount; }
    const DeviceEntry& device(int row) const;
    int phonebookCount() const { return m_nPhonebookCount; }
    int callLogCount() const { return m_nCallLogCount; }
    // Whether the phonebook's and the call log's stores have taken memory yet.
    bool isPhonebookStoreAllocated() const { return m_Phonebook.allocated(); }
    bool isCallLogStoreAllocated() const { return m_CallLog.allocated(); }

    static constexpr int kMaxDevices = 20;
    static constexpr int kMaxPrivateContacts = 1000;
    static constexpr std::size_t kMaxConsoleOutput = 64 * 1024;

    // Shortens the keep-alive period, so tests see "ALIVE:" without waiting a minute; the
    // program never changes it.
    void setKeepAlivePeriodForTest(unsigned ms) { m_keepAliveMs = ms; }

  private:
    // --- The state record ----------------------------------------------------------------
    // The record's established members keep their type-prefixed names (m_bDispatching,
    // m_nFaceMode, m_szLocalMac, ...); the fields added beside them are plain m_camelCase.
    int m_bDispatching = 0;
    bool m_hookOn = false;
    bool m_bAutoConnect = true;
    bool m_bSetIpPending = false;
    // The "Set IP" prompt is on view and its address not yet applied (m_bSetIpPending
    // stays set after the Apply, while the probe waits for its answer).
    bool m_addressEntry = false;
    bool m_bPasswordPending = false;
    // The entry edit was opened for the phone's console (Alt+L): SEND and Enter send its
    // line, and the edit carries the console's mark.
    bool m_consoleMode = false;
    bool m_dialpadNotify = true;
    bool m_volumeDrag = false;
    int m_nPrivateController = 0;
    int m_nNameFirst = 0;
    int m_nContactSel = -1;
    int m_nCallSel = -1;
    int m_nFaceMode = FaceMenu;

    std::array<DeviceEntry, kMaxDevices> m_Devices{};
    int m_nDeviceCount = 0;
    int m_pendingDevice = 0;

    RecordTable<PhonebookEntry, kMaxPrivateContacts> m_privateContacts;
    int m_privateContactCount = 0;

    RecordTable<PhonebookEntry, proto::kPhonebookCapacity> m_Phonebook;
    RecordTable<CallLogEntry, proto::kCallLogCapacity> m_CallLog;
    int m_nPhonebookCount = 0;
    int m_nCallLogCount = 0;
    int m_nMenuCount = 0;

    std::string m_strLinuxResponse; // at most kMaxConsoleOutput and the cut notice
    std::string m_szPassword;       // at most 29 characters
    std::string m_szLocalMac;       // 17 characters
    std::string m_startAddress;     // asked instead of the first search; empty once asked
    std::string m_strInputText;
    int m_nInputButton = 0;

    // The keep-alive period; only tests shorten it.
    unsigned m_keepAliveMs = Timer::KeepAliveMs;

    // Follows console mode once an event's handler has ended, however it ended.
    struct EventScope {
        CDialerDlg& dlg;
        ~EventScope() { dlg.FollowConsoleMode(); }
    };

    // Face helpers.
    void InitFace();
    void ReadSettings();
    // The entry text lives in the entry edit's face control alone: the shell copies what
    // the user types there before a handler runs, and the window shows what is set.
    const std::string& EntryText() const;
    void SetEntryText(const std::string& text);
    void HideContactEditor();
    // True while the entry edit takes a password or an address for F2's "Apply".
    bool EntryTakesPrompt() const { return m_addressEntry || m_bPasswordPending; }
    // Ends console mode once something else (the phone's own screen, a list, a prompt) has
    // taken the entry edit's place; runs after every event.
    void FollowConsoleMode();

    // Incoming message handlers.
    void OnHookOn();
    void OnDisp(std::string_view msg);
    void OnTextKey(std::string_view msg);
    void OnIconKey(std::string_view msg);
    void OnClr(std::string_view msg);
    void OnIcon(std::string_view msg);
    void OnVol(std::string_view msg);
    void OnShowNav();
    void OnShowMute(std::string_view msg);
    void OnInput(std::string_view msg);
    void OnLinuxEnd();
    void OnPbook(std::string_view msg);
    void OnCalls(std::string_view msg);
    void OnMenuList(std::string_view msg);
    void OnHideList();
    void OnShowList();
    void OnShowDialpad();
    void OnDiscoveryReply(std::string_view msg);
    void OnLoginReply(std::string_view msg);
    // The window title: the program's name, after the controlled phone's name if known.
    void ShowControlledName(const std::string& name);

    // Link.
    void OnConnectTimer();
    void OnSearchEndTimer();
    void AutoConnect();
    void EnterPasswordMode(int device, bool fresh);
    void OnEnumerate();
    void OnSetIp();
    void OnApplyAddress();
    void OnApplyPassword();
    void OnRelease();
    void OnAttachPrivate();
    void OnReleasePrivate();
    void OnToggleNameFirst();
    void ReleaseOldDeviceIfOther(const std::string& newAddr);
    void SetLinkPrompt(const std::string& text);
    void EndAddressEntry();
    void EndPasswordEntry();
    void WithdrawEntryPrompt();
    void EndApplyKey();

    // Keys.
    void OnKeypad(int id);
    void OnSendAction();
    void OnBackspace();
    void OnF1();
    void OnF2();
    void OnF3();
    void OnTabKey(int code, TabState state);
    void OnLinuxSecret();
    void EnterConsoleMode();
    // giveDisplayBack: the user left it, so the display lines return and the phone is
    // asked for its display; otherwise the phone's screen has already taken the place.
    void LeaveConsoleMode(bool giveDisplayBack);
    // A click on a row of the phonebook or the call log.
    void OnNumberListClick(int listId, int row);
    void OnMenuListClick(int row);
    void OnUsePrivateContactList();
    void OnAbout();

    void AppendConsoleOutput(std::string_view fragment);

    // The display lines that were on view when console mode began.
    std::array<bool, 4> m_consoleLines{};

    Ports m_ports;
    FaceModel m_face;
    UdpSocket m_socket;
    bool m_ended = false;

    // What the sender rule needs to know of the link: a search is open; where the last
    // LOGIN: and the "Set IP" probe went.
    bool m_searchOpen = false;
    std::string m_loginAddress;
    std::string m_probeAddress;
    CDropTrace m_dropTrace;

    // One console box and one text prompt at a time: what ends while one is open waits
    // for it to close (the newest waiting prompt replaces an older one).
    bool m_consoleCut = false;
    bool m_consoleBoxOpen = false;
    bool m_consoleBoxWaiting = false;
    bool m_promptOpen = false;
    std::optional<TextInputRequest> m_waitingPrompt;
};

} // namespace orvane
