#include "WinPorts.h"

#include "FaceWindow.h"
#include "Prompts.h"
#include "VersionResource.h"
#include "WinText.h"

#include <iphlpapi.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

using namespace orvane;

namespace {

constexpr std::size_t kMaxQueued = 4096;
constexpr std::size_t kMaxQueuedBytes = 8u << 20;
// A UDP payload never exceeds this, so one read always takes a datagram whole.
constexpr int kMaxDatagram = 65536;
constexpr std::size_t kMaxReadsPerNotice = 2 * kMaxQueued;
// A phone sends a long call log as one burst of 4 KB datagrams; the default buffer would
// lose rows while the window is busy for a moment.
constexpr int kReceiveBufferBytes = 4 << 20;
// Under an endless stream a list still shows what came at this pace.
constexpr unsigned kMaxListWaitMs = 100;

std::string trimmed(const std::string& text) {
    const auto isSpace = [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
    };
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isSpace(text[begin]))
        ++begin;
    while (end > begin && isSpace(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

// Dotted IPv4 text as it stands; anything else is looked up as a host name (blocking).
bool resolveIPv4(const std::string& host, in_addr& address) {
    const std::string text = trimmed(host);
    if (text.empty()) return false;
    if (inet_pton(AF_INET, text.c_str(), &address) == 1) return true;
    // IPv6 text is refused: a host name never holds a colon.
    if (text.find(':') != std::string::npos) return false;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(text.c_str(), nullptr, &hints, &found) != 0) return false;
    bool ok = false;
    for (const addrinfo* ai = found; ai != nullptr; ai = ai->ai_next) {
        if (ai->ai_family == AF_INET && ai->ai_addr != nullptr &&
            ai->ai_addrlen >= sizeof(sockaddr_in)) {
            address = reinterpret_cast<const sockaddr_in*>(ai->ai_addr)->sin_addr;
            ok = true;
            break;
        }
    }
    freeaddrinfo(found);
    return ok;
}

} // namespace

// ---------------------------------------------------------------------------------------
// WinDatagramPort

WinDatagramPort::WinDatagramPort() {
    WSADATA data{};
    m_started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

WinDatagramPort::~WinDatagramPort() {
    Close();
    if (m_started) WSACleanup();
}

void WinDatagramPort::attach(FaceWindow* window) {
    m_window = window;
    // A hand-over queued for the window before may have gone with it: the notices would
    // then wait for it for ever. The new window gets one of its own (a second, should the
    // old one still come, finds the inbox empty).
    m_drainQueued = false;
    select();
    if (m_writablePending) post(winmsg::Writable);
    if (!m_inbox.empty()) post(winmsg::Drain);
}

void WinDatagramPort::post(UINT message) {
    if (m_window == nullptr || m_window->hwnd() == nullptr) return;
    if (message == winmsg::Drain) {
        if (m_drainQueued) return;
        m_drainQueued = true;
    }
    PostMessageW(m_window->hwnd(), message, 0, 0);
}

void WinDatagramPort::select() {
    if (m_socket == INVALID_SOCKET || m_window == nullptr || m_window->hwnd() == nullptr) return;
    // Also makes the socket non-blocking.
    WSAAsyncSelect(m_socket, m_window->hwnd(), winmsg::Socket, FD_READ);
}

bool WinDatagramPort::Create() {
    if (m_socket != INVALID_SOCKET) Close();
    if (!m_started) {
        m_lastError = WSANOTINITIALISED;
        return false;
    }
    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) {
        m_lastError = WSAGetLastError();
        return false;
    }
    sockaddr_in any{};
    any.sin_family = AF_INET;
    any.sin_addr.s_addr = htonl(INADDR_ANY);
    any.sin_port = 0;
    if (bind(s, reinterpret_cast<const sockaddr*>(&any), sizeof any) != 0) {
        m_lastError = WSAGetLastError();
        closesocket(s);
        return false;
    }
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    // Best effort: a smaller buffer only makes loss under a burst likelier.
    const int receiveBuffer = kReceiveBufferBytes;
    (void)setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&receiveBuffer),
                     sizeof receiveBuffer);
    m_socket = s;
    select();
    // A datagram socket can be written as soon as it exists; the dialog hears it once the
    // message loop runs.
    m_writablePending = true;
    post(winmsg::Writable);
    return true;
}

void WinDatagramPort::onWritable() {
    if (!m_writablePending || m_window == nullptr || m_socket == INVALID_SOCKET) return;
    m_writablePending = false;
    FaceWindow* window = m_window;
    window->callCore([window] { window->adapter().socketWritable(); });
}

bool WinDatagramPort::SetBroadcast(bool on) {
    if (m_socket == INVALID_SOCKET) {
        m_lastError = WSAENOTSOCK;
        return false;
    }
    const BOOL value = on ? TRUE : FALSE;
    if (setsockopt(m_socket, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&value),
                   sizeof value) != 0) {
        m_lastError = WSAGetLastError();
        return false;
    }
    return true;
}

bool WinDatagramPort::SendTo(const void* data, std::size_t length, const std::string& host,
                             std::uint16_t port) {
    if (m_socket == INVALID_SOCKET) {
        m_lastError = WSAENOTSOCK;
        return false;
    }
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    if (!resolveIPv4(host, to.sin_addr)) {
        m_lastError = WSAEINVAL;
        return false;
    }
    const int sent = sendto(m_socket, static_cast<const char*>(data), static_cast<int>(length), 0,
                            reinterpret_cast<const sockaddr*>(&to), sizeof to);
    if (sent == SOCKET_ERROR) {
        m_lastError = WSAGetLastError();
        return false;
    }
    return true;
}

int WinDatagramPort::ReceiveFrom(void* buffer, std::size_t capacity, std::string& senderAddr,
                                 unsigned& senderPort) {
    ++m_reads;
    if (m_socket == INVALID_SOCKET) {
        m_lastError = WSAENOTSOCK;
        return -1;
    }
    // Only the socket's own notification reads the socket; this hands out what it took,
    // in arrival order.
    if (m_inbox.empty()) {
        m_lastError = WSAEWOULDBLOCK;
        return -1;
    }
    Incoming in = std::move(m_inbox.front());
    m_inbox.pop_front();
    m_inboxBytes -= in.bytes.size();
    if (in.error != 0) {
        m_lastError = in.error;
        return -1;
    }
    senderAddr = in.from;
    senderPort = in.port;
    // Too large for the buffer: reported, never cut silently.
    if (in.bytes.size() > capacity) {
        m_lastError = WSAEMSGSIZE;
        return -1;
    }
    std::memcpy(buffer, in.bytes.data(), in.bytes.size());
    return static_cast<int>(in.bytes.size());
}

void WinDatagramPort::Close() {
    if (m_socket == INVALID_SOCKET) return;
    closesocket(m_socket);
    m_socket = INVALID_SOCKET;
    m_inbox.clear();
    m_inboxBytes = 0;
}

std::uint16_t WinDatagramPort::localPort() const {
    if (m_socket == INVALID_SOCKET) return 0;
    sockaddr_in local{};
    int length = sizeof local;
    if (getsockname(m_socket, reinterpret_cast<sockaddr*>(&local), &length) != 0) return 0;
    return ntohs(local.sin_port);
}

void WinDatagramPort::onSocketMessage(WPARAM wParam, LPARAM) {
    if (m_socket == INVALID_SOCKET || static_cast<SOCKET>(wParam) != m_socket) return;
    // Wine posts a notice for every datagram of a burst: while the inbox waits for the
    // dialog, the hand-over reads the socket again itself once the dialog has had it.
    if (m_drainQueued) return;
    readAll();
}

void WinDatagramPort::readAll() {
    // What the socket holds is read at once, so a flood is dropped here at the inbox's
    // bound rather than left to fill the system's buffer; never more than a bound of reads
    // per notice, so a flood cannot keep the timers and the painting waiting. Winsock
    // reports again while anything is left.
    static char buffer[kMaxDatagram];
    for (std::size_t reads = 0; m_socket != INVALID_SOCKET && reads < kMaxReadsPerNotice; ++reads) {
        sockaddr_in from{};
        int fromLength = sizeof from;
        const int read = recvfrom(m_socket, buffer, sizeof buffer, 0,
                                  reinterpret_cast<sockaddr*>(&from), &fromLength);
        Incoming in;
        if (read == SOCKET_ERROR) {
            const int error = WSAGetLastError();
            if (error == WSAEWOULDBLOCK || error == WSAEINTR) break;
            in.error = error;
        } else {
            in.bytes.assign(buffer, static_cast<std::size_t>(read));
            char text[INET_ADDRSTRLEN] = {};
            if (inet_ntop(AF_INET, &from.sin_addr, text, sizeof text) != nullptr) in.from = text;
            in.port = ntohs(from.sin_port);
        }
        if (m_inbox.size() >= kMaxQueued || m_inboxBytes + in.bytes.size() > kMaxQueuedBytes) {
            if (in.error != 0) break;
            continue;
        }
        m_inboxBytes += in.bytes.size();
        const bool failed = in.error != 0;
        m_inbox.push_back(std::move(in));
        if (failed) break; // never spin on a socket that keeps failing
    }
    if (!m_inbox.empty()) post(winmsg::Drain);
}

void WinDatagramPort::onDrain() {
    m_drainQueued = false;
    FaceWindow* const window = m_window;
    if (window == nullptr) return;
    // The datagrams of a burst change the lists once: a list view shows its rows when the
    // socket holds no more (or has kept it waiting long enough).
    bool reading = true;
    while (m_socket != INVALID_SOCKET && m_window == window && !m_inbox.empty()) {
        const unsigned before = m_reads;
        window->callCoreInBurst([window] { window->adapter().socketReadable(); });
        // The dialog has stopped reading (its socket is closed, or it has ended).
        if (m_reads == before) {
            reading = false;
            break;
        }
    }
    // What arrived while the dialog was busy is taken now, not when the socket's next
    // notice comes round (Wine's come late, a burst would wait for each): a bounded read
    // that hands over through the message loop again.
    if (reading && m_socket != INVALID_SOCKET && m_window == window) readAll();
    const bool more = reading && m_drainQueued && !m_inbox.empty();
    if (m_window == window && (!more || window->listsWaitingMs() >= kMaxListWaitMs))
        window->flushLists();
}

// ---------------------------------------------------------------------------------------
// WinTimerHost

void WinTimerHost::attach(FaceWindow* window) {
    m_window = window;
    if (m_window == nullptr || m_window->hwnd() == nullptr) return;
    // Timers set before the window existed start now.
    for (const auto& [id, period] : m_running)
        ::SetTimer(m_window->hwnd(), static_cast<UINT_PTR>(id), period, nullptr);
}

void WinTimerHost::SetTimer(int id, unsigned periodMs) {
    // A window timer repeats until it is killed; setting it again restarts the period.
    const unsigned period = std::max<unsigned>(periodMs, USER_TIMER_MINIMUM);
    m_running[id] = period;
    if (m_window != nullptr && m_window->hwnd() != nullptr)
        ::SetTimer(m_window->hwnd(), static_cast<UINT_PTR>(id), period, nullptr);
}

void WinTimerHost::KillTimer(int id) {
    m_running.erase(id);
    if (m_window != nullptr && m_window->hwnd() != nullptr)
        ::KillTimer(m_window->hwnd(), static_cast<UINT_PTR>(id));
}

bool WinTimerHost::isRunning(int id) const {
    return m_running.count(id) != 0;
}

// ---------------------------------------------------------------------------------------
// WinDialogs

HWND WinDialogs::owner() const {
    return m_window != nullptr ? m_window->hwnd() : nullptr;
}

std::string WinDialogs::BoxText(const std::string& text) {
    // A console answer runs to 64 KB: a box that tall would not fit any screen.
    constexpr int kMaxBoxLines = 20;
    constexpr std::size_t kMaxBoxChars = 3000;
    std::string shown = text;
    bool cut = false;
    std::size_t end = std::string::npos;
    int lines = 0;
    for (std::size_t from = 0; lines < kMaxBoxLines; ++lines) {
        const std::size_t next = text.find('\n', from);
        if (next == std::string::npos) break;
        end = next;
        from = next + 1;
    }
    if (lines == kMaxBoxLines && end + 1 < text.size()) {
        shown = text.substr(0, end);
        cut = true;
    }
    if (shown.size() > kMaxBoxChars) {
        shown.resize(kMaxBoxChars);
        cut = true;
    }
    if (cut) shown += "\n...";
    return shown;
}

MsgAnswer WinDialogs::MessageBox(const std::string& text, const std::string& caption,
                                 MsgButtons buttons, MsgIcon icon, bool ownedByDialog) {
    if (m_quitting) return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
    if (m_window != nullptr) m_window->sync();
    UINT type = buttons == MsgButtons::YesNo ? MB_YESNO : MB_OK;
    switch (icon) {
    case MsgIcon::Information: type |= MB_ICONINFORMATION; break;
    case MsgIcon::Warning: type |= MB_ICONWARNING; break;
    case MsgIcon::Error: type |= MB_ICONERROR; break;
    case MsgIcon::None: break;
    }
    // A box without an owner still belongs to this program's task.
    if (!ownedByDialog) type |= MB_TASKMODAL;
    // A text a message box would cut goes to a box that shows it whole.
    if (BoxText(text) != text)
        return LongBox::Run(ownedByDialog ? owner() : nullptr, text, caption, buttons, icon);
    const std::wstring wide = wintext::ToWide(text);
    const std::wstring title = wintext::ToWide(caption);
    const int answer =
        ::MessageBoxW(ownedByDialog ? owner() : nullptr, wide.c_str(), title.c_str(), type);
    if (buttons == MsgButtons::YesNo) return answer == IDYES ? MsgAnswer::Yes : MsgAnswer::No;
    return MsgAnswer::Ok;
}

TextInputAnswer WinDialogs::RunTextInput(const TextInputRequest& request) {
    if (m_quitting) return {2, TextPrompt::InitialText(request)};
    if (m_window != nullptr) m_window->sync();
    return TextPrompt::Run(owner(), request);
}

void WinDialogs::ShowAbout(const std::string&) {
    if (m_quitting) return;
    if (m_window != nullptr) m_window->sync();
    // The numbers come from the program file's own version resource, read afresh at every
    // opening (the build writes it from the same project version the dialog was given).
    const orvane::BuildVersion version = ReadVersionResource();
    orvane::CVersionInfo info;
    AboutBox::Run(owner(), orvane::AboutVersionLine(info.Read(&version)));
}

// ---------------------------------------------------------------------------------------
// WinPlatform

void WinPlatform::Sleep(unsigned ms) {
    ::Sleep(ms);
}

std::optional<Platform::Adapter> WinPlatform::FirstAdapter() {
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer;
    ULONG result = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < 3 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.resize(size);
        result = GetAdaptersAddresses(
            AF_UNSPEC, GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER,
            nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
    }
    if (result != NO_ERROR) return std::nullopt;
    for (auto* a = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()); a != nullptr;
         a = a->Next) {
        if (a->IfType == IF_TYPE_SOFTWARE_LOOPBACK || a->PhysicalAddressLength != 6) continue;
        Adapter adapter;
        std::memcpy(adapter.mac, a->PhysicalAddress, 6);
        for (auto* u = a->FirstUnicastAddress; u != nullptr; u = u->Next) {
            const sockaddr* address = u->Address.lpSockaddr;
            if (address == nullptr || address->sa_family != AF_INET) continue;
            char text[INET_ADDRSTRLEN] = {};
            const auto* v4 = reinterpret_cast<const sockaddr_in*>(address);
            if (inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text) != nullptr) {
                adapter.ipAddress = text;
                break;
            }
        }
        return adapter;
    }
    return std::nullopt;
}

int WinPlatform::PrimaryScreenWidth() {
    return GetSystemMetrics(SM_CXSCREEN);
}

void WinPlatform::StdOut(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

void WinPlatform::StdErr(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

void WinPlatform::DebugOut(const std::string& text) {
    OutputDebugStringW(wintext::ToWide(text).c_str());
}
