// The few interfaces through which the core reaches the world. The Qt shell implements
// them for the real program; tests implement them with fakes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvane {

// The program's name: the window's title, and the caption of its own boxes.
inline constexpr const char* kWindowTitle = "Orvane's SIP Dialer";

// Socket error numbers as Windows Sockets numbers them, so every message reads the same
// on every platform. Ports map their platform's errors onto these.
namespace SockErr {
constexpr int WouldBlock = 10035;
constexpr int Invalid = 10022;     // also: destination could not be resolved
constexpr int MessageSize = 10040; // datagram larger than the receive buffer
constexpr int NetUnreachable = 10051;
constexpr int NetReset = 10052;
constexpr int ConnReset = 10054; // e.g. ICMP port unreachable after a send
constexpr int HostUnreachable = 10065;
constexpr int NotSocket = 10038; // socket closed or never created
constexpr int Access = 10013;    // e.g. broadcast without permission
} // namespace SockErr

// One datagram socket. Created by the port's owner; the core calls these operations and
// the shell calls UdpSocket::OnReceive / OnSend when the socket becomes readable / writable.
class DatagramPort {
  public:
    virtual ~DatagramPort() = default;
    // Opens the socket on any port, all interfaces. False on failure (see LastError).
    virtual bool Create() = 0;
    virtual bool SetBroadcast(bool on) = 0;
    // Sends one datagram to host:port. The host is dotted IPv4 text or a name to resolve.
    virtual bool SendTo(const void* data, std::size_t length, const std::string& host,
                        std::uint16_t port) = 0;
    // Reads one datagram of at most `capacity` bytes. Returns the byte count (0 for an
    // empty datagram), or -1 with LastError() set: WouldBlock when nothing is pending,
    // MessageSize when the datagram was larger than `capacity` (it is consumed).
    virtual int ReceiveFrom(void* buffer, std::size_t capacity, std::string& senderAddr,
                            unsigned& senderPort) = 0;
    virtual void Close() = 0;
    virtual int LastError() const = 0;
};

// Timers of the dialog window, by id. Setting a running timer restarts it with the new
// period. The shell calls CDialerDlg::OnTimer(id) on each expiry.
class TimerHost {
  public:
    virtual ~TimerHost() = default;
    virtual void SetTimer(int id, unsigned periodMs) = 0;
    virtual void KillTimer(int id) = 0;
};

enum class MsgButtons { Ok, YesNo };
enum class MsgIcon { None, Information, Warning, Error };
enum class MsgAnswer { Ok, Yes, No, Cancel };

struct TextInputRequest {
    std::string prompt;
    std::string firstCaption;
    std::string secondCaption;
    std::string initialText;
};
struct TextInputAnswer {
    int button = 0; // 1 or 2
    std::string text;
};

// Modal dialogs. Each call runs a nested event loop in the shell: timers and datagrams
// keep arriving and may re-enter the core before the call returns. The shell brings the
// window in step with the face model before it opens the box.
class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // ownedByDialog: false for the boxes the socket shows without an owner window.
    virtual MsgAnswer MessageBox(const std::string& text, const std::string& caption,
                                 MsgButtons buttons, MsgIcon icon, bool ownedByDialog) = 0;
    virtual TextInputAnswer RunTextInput(const TextInputRequest& request) = 0;
    virtual void ShowAbout(const std::string& versionLine) = 0;
};

// The typed value store behind CRegHelper: one key holds named values, each a type and
// bytes, as the registry holds them.
enum class ValueType : std::uint32_t { String = 1, Dword = 4 };

class SettingsBackend {
  public:
    virtual ~SettingsBackend() = default;
    // Opens the key at `path`, creating it (and its parents) when missing; the store it
    // creates lives until the user logs out. False when it cannot be opened.
    virtual bool OpenKey(const std::string& path) = 0;
    virtual void CloseKey() = 0;
    // False when the value is missing or larger than `maxBytes`.
    virtual bool QueryValue(const std::string& name, ValueType& type,
                            std::vector<std::uint8_t>& data, std::size_t maxBytes) = 0;
    virtual bool SetValue(const std::string& name, ValueType type,
                          const std::vector<std::uint8_t>& data) = 0;
};

// What the machine tells the core: time to wait, the controller identity, diagnostics.
class Platform {
  public:
    virtual ~Platform() = default;
    virtual void Sleep(unsigned ms) = 0;
    // The first network interface that is not loopback and has a 6-byte hardware
    // address, with its first IPv4 address as text (may be empty).
    struct Adapter {
        std::uint8_t mac[6] = {};
        std::string ipAddress;
    };
    virtual std::optional<Adapter> FirstAdapter() = 0;
    // Width of the primary screen in pixels.
    virtual int PrimaryScreenWidth() = 0;
    // Standard output (the one trace line at start).
    virtual void StdOut(const std::string& text) = 0;
    // Standard error (the trace of datagrams dropped from strangers).
    virtual void StdErr(const std::string& text) = 0;
    // Debugger output: silent unless diagnostics are enabled.
    virtual void DebugOut(const std::string& text) = 0;
};

} // namespace orvane
