// Hand-written fakes of the core's ports, with a record of what the core did through them,
// and a dialer rig that wires them to a CDialerDlg.
#pragma once

#include "CDialerDlg.h"
#include "FaceIds.h"
#include "ports.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace orvane::test {

struct SentDatagram {
    std::string host;
    std::uint16_t port = 0;
    std::string bytes;            // exactly what went out, the NUL included
    bool broadcastOption = false; // the socket's broadcast option at the time
    // The text up to the first NUL.
    std::string Text() const { return std::string(bytes.c_str()); }
};

class FakeDatagramPort : public DatagramPort {
  public:
    bool createOk = true;
    bool canSend = true;
    int sendError = SockErr::Invalid;
    int lastError = 0;
    bool broadcast = false;
    bool closed = false;
    std::vector<bool> broadcastCalls; // every SetBroadcast call, in order
    std::vector<SentDatagram> sent;
    struct Incoming {
        std::string bytes;
        std::string from = "10.77.0.11";
        unsigned port = 8888;
        int error = 0; // non-zero: the receive fails with this error
    };
    std::deque<Incoming> inbox;

    bool Create() override {
        if (!createOk) lastError = SockErr::Access;
        return createOk;
    }
    bool SetBroadcast(bool on) override {
        broadcast = on;
        broadcastCalls.push_back(on);
        return true;
    }
    bool SendTo(const void* data, std::size_t length, const std::string& host,
                std::uint16_t port) override {
        if (closed) {
            lastError = SockErr::NotSocket;
            return false;
        }
        if (!canSend) {
            lastError = sendError;
            return false;
        }
        sent.push_back(
            {host, port, std::string(static_cast<const char*>(data), length), broadcast});
        return true;
    }
    int ReceiveFrom(void* buffer, std::size_t capacity, std::string& senderAddr,
                    unsigned& senderPort) override {
        if (inbox.empty()) {
            lastError = SockErr::WouldBlock;
            return -1;
        }
        Incoming in = inbox.front();
        inbox.pop_front();
        if (in.error != 0) {
            lastError = in.error;
            return -1;
        }
        senderAddr = in.from;
        senderPort = in.port;
        if (in.bytes.size() > capacity) {
            lastError = SockErr::MessageSize;
            return -1;
        }
        std::copy(in.bytes.begin(), in.bytes.end(), static_cast<char*>(buffer));
        return static_cast<int>(in.bytes.size());
    }
    void Close() override { closed = true; }
    int LastError() const override { return lastError; }

    // The texts sent so far, and forget them.
    std::vector<std::string> TakeTexts() {
        std::vector<std::string> texts;
        for (const SentDatagram& d : sent)
            texts.push_back(d.Text());
        sent.clear();
        return texts;
    }
};

class FakeTimerHost : public TimerHost {
  public:
    std::map<int, unsigned> running; // id -> period
    std::vector<std::pair<int, unsigned>> setCalls;
    void SetTimer(int id, unsigned periodMs) override {
        running[id] = periodMs;
        setCalls.emplace_back(id, periodMs);
    }
    void KillTimer(int id) override { running.erase(id); }
    bool IsRunning(int id) const { return running.count(id) != 0; }
    unsigned Period(int id) const {
        auto it = running.find(id);
        return it == running.end() ? 0 : it->second;
    }
};

struct ShownBox {
    std::string text;
    std::string caption;
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
    bool owned = true;
};

class FakeDialogs : public Dialogs {
  public:
    std::vector<ShownBox> boxes;
    std::vector<TextInputRequest> prompts;
    std::vector<std::string> abouts;
    MsgAnswer nextAnswer = MsgAnswer::Yes;
    std::deque<TextInputAnswer> inputAnswers;
    // Runs inside the "modal loop" of the next box or prompt, as the shell's nested event
    // loop would run timers and datagrams.
    std::function<void()> duringModal;

    MsgAnswer MessageBox(const std::string& text, const std::string& caption, MsgButtons buttons,
                         MsgIcon icon, bool owned) override {
        boxes.push_back({text, caption, buttons, icon, owned});
        RunModal();
        return buttons == MsgButtons::YesNo ? nextAnswer : MsgAnswer::Ok;
    }
    TextInputAnswer RunTextInput(const TextInputRequest& request) override {
        prompts.push_back(request);
        RunModal();
        if (inputAnswers.empty()) return {2, request.initialText};
        TextInputAnswer a = inputAnswers.front();
        inputAnswers.pop_front();
        return a;
    }
    void ShowAbout(const std::string& line) override { abouts.push_back(line); }

  private:
    void RunModal() {
        if (!duringModal) return;
        auto f = std::move(duringModal);
        duringModal = nullptr;
        f();
    }
};

class FakeSettings : public SettingsBackend {
  public:
    bool canOpen = true;
    bool canWrite = true;
    bool open = false;
    std::string openedPath;
    struct Value {
        ValueType type;
        std::vector<std::uint8_t> data;
    };
    std::map<std::string, Value> values;

    bool OpenKey(const std::string& path) override {
        openedPath = path;
        open = canOpen;
        return canOpen;
    }
    void CloseKey() override { open = false; }
    bool QueryValue(const std::string& name, ValueType& type, std::vector<std::uint8_t>& data,
                    std::size_t maxBytes) override {
        auto it = values.find(name);
        if (it == values.end() || it->second.data.size() > maxBytes) return false;
        type = it->second.type;
        data = it->second.data;
        return true;
    }
    bool SetValue(const std::string& name, ValueType type,
                  const std::vector<std::uint8_t>& data) override {
        if (!canWrite) return false;
        values[name] = {type, data};
        return true;
    }
    void SetDword(const std::string& name, std::uint32_t v) {
        values[name] = {
            ValueType::Dword,
            {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)}};
    }
    void SetString(const std::string& name, const std::string& s) {
        values[name] = {ValueType::String, std::vector<std::uint8_t>(s.begin(), s.end())};
    }
    std::string String(const std::string& name) const {
        auto it = values.find(name);
        return it == values.end() ? std::string("<missing>")
                                  : std::string(it->second.data.begin(), it->second.data.end());
    }
    long long Dword(const std::string& name) const {
        auto it = values.find(name);
        if (it == values.end()) return -1;
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < it->second.data.size() && i < 4; ++i)
            v |= std::uint32_t(it->second.data[i]) << (8 * i);
        return v;
    }
};

class FakePlatform : public Platform {
  public:
    std::vector<unsigned> sleeps;
    std::optional<Adapter> adapter = Adapter{{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}, "10.77.0.1"};
    int screenWidth = 1280;
    std::vector<std::string> stdoutLines;
    std::vector<std::string> stderrLines;
    std::vector<std::string> debugLines;
    void Sleep(unsigned ms) override { sleeps.push_back(ms); }
    std::optional<Adapter> FirstAdapter() override { return adapter; }
    int PrimaryScreenWidth() override { return screenWidth; }
    void StdOut(const std::string& t) override { stdoutLines.push_back(t); }
    void StdErr(const std::string& t) override { stderrLines.push_back(t); }
    void DebugOut(const std::string& t) override { debugLines.push_back(t); }
};

// A dialer wired to fakes. Construct, adjust the fakes, then Init(): the dialog is built
// then, so settings and adapter set before Init() count.
struct DialerRig {
    FakeDatagramPort socket;
    FakeTimerHost timers;
    FakeDialogs dialogs;
    FakeSettings settings;
    FakePlatform platform;
    std::unique_ptr<CDialerDlg> dlg;
    std::string startAddress; // the address named at start (--connect), when not empty

    // Builds and initialises the dialog and lets the socket report writable.
    CDialerDlg& Init(const std::string& privateContacts = "/nonexistent/PrivateContacts.txt") {
        dlg = std::make_unique<CDialerDlg>(
            CDialerDlg::Ports{socket, timers, dialogs, settings, platform});
        if (!startAddress.empty()) dlg->SetStartAddress(startAddress);
        dlg->OnInitDialog(privateContacts);
        dlg->Socket().OnSend(0);
        return *dlg;
    }
    CDialerDlg& operator*() { return *dlg; }
    CDialerDlg* operator->() { return dlg.get(); }
    FaceModel& face() { return dlg->Face(); }

    // Delivers one datagram through the socket's receive path.
    void Receive(const std::string& text, const std::string& from = "10.77.0.11") {
        socket.inbox.push_back({text, from, 8888, 0});
        dlg->Socket().OnReceive(0);
    }
    // Runs a timer's expiry.
    void Fire(int id) { dlg->OnTimer(id); }
    // The texts sent so far, and forget them.
    std::vector<std::string> Sent() { return socket.TakeTexts(); }
    // The dispatcher is free: a message from the addressed phone is handled at once,
    // without the hold-off that waits while another message is being handled.
    bool HandlesAtOnce() {
        const std::size_t sleeps = platform.sleeps.size();
        Receive("DISP: 3 handled at once", dlg->Socket().DeviceAddr());
        return platform.sleeps.size() == sleeps &&
               face().Text(Ctl::DisplayLine3) == "handled at once";
    }
    // The hook flag as the keypad shows it: while it is set, key 1 types into the entry
    // instead of going to the phone. The key's datagram, if any, stays in the record.
    bool KeypadTypesLocally() {
        const std::size_t sent = socket.sent.size();
        dlg->OnCommand(Ctl::Key1);
        return socket.sent.size() == sent;
    }

    void Address(const std::string& addr = "10.77.0.11") { dlg->Socket().SetDeviceAddr(addr); }
};

// The screen the face shows, judged as a user would: the contact editor's fields, one of
// the lists, the volume slider (the menu screen leaves it as it was), or the keypad; -1
// when none of them is on view.
inline int ScreenOnView(const FaceModel& face) {
    if (face.IsVisible(Ctl::NameEdit)) return FaceContactEditor;
    if (face.IsVisible(Ctl::PhonebookList)) return FacePhonebook;
    if (face.IsVisible(Ctl::CallLogList)) return FaceCallLog;
    if (face.IsVisible(Ctl::MenuList)) return FaceMenu;
    if (face.IsVisible(Ctl::VolumeSlider)) return FaceVolume;
    if (face.IsVisible(Ctl::Key1)) return FaceDialpad;
    return -1;
}

} // namespace orvane::test
