#include "UdpSocket.h"

#include "Protocol.h"

#include <cstring>

namespace orvane {

bool IsTransientReceiveError(int error) {
    switch (error) {
    case SockErr::MessageSize: // oversized datagram: dropped
    case SockErr::ConnReset:   // an earlier send hit a closed port
    case SockErr::NetReset:
    case SockErr::NetUnreachable:
    case SockErr::HostUnreachable: return true;
    default: return false;
    }
}

UdpSocket::UdpSocket(DatagramPort& port, Dialogs& dialogs) : m_port(port), m_dialogs(dialogs) {
    if (!m_port.Create()) {
        m_dialogs.MessageBox("Socket Create() failed: " + std::to_string(m_port.LastError()),
                             kWindowTitle, MsgButtons::Ok, MsgIcon::Warning, true);
    }
}

UdpSocket::~UdpSocket() {
    if (!m_bClosed) m_port.Close();
}

bool UdpSocket::SetDeviceAddr(const std::string& addr) {
    if (addr.size() > kAddrCapacity) return false;
    m_szDeviceAddr = addr;
    return true;
}

void UdpSocket::OnSend(int) {
    m_bReadyToSend = true;
}

bool UdpSocket::SendBroadcast(const void* data, std::size_t length) {
    m_bBroadcast = true;
    const bool sent = Send(data, length);
    m_bBroadcast = false;
    return sent;
}

bool UdpSocket::Send(const void* data, std::size_t length) {
    if (!m_bReadyToSend) {
        m_dialogs.MessageBox("!m_bReadyToSend", "UdpSocket::Send", MsgButtons::Ok, MsgIcon::Warning,
                             false);
        return false;
    }
    if (m_bBroadcast) {
        s_nBroadcastOpt = 1;
        m_port.SetBroadcast(true);
    } else if (s_nBroadcastOpt != 0) {
        s_nBroadcastOpt = 0;
        m_port.SetBroadcast(false);
    }
    if (!m_bBroadcast && m_szDeviceAddr.empty()) return false;

    const std::string& destination = m_bBroadcast ? std::string("255.255.255.255") : m_szDeviceAddr;
    if (!m_port.SendTo(data, length, destination, proto::kDevicePort)) {
        const int error = m_port.LastError();
        if (error == SockErr::WouldBlock) {
            m_dialogs.MessageBox("CAsyncSocket::SendTo Failed == 0", "UdpSocket::Send",
                                 MsgButtons::Ok, MsgIcon::Warning, false);
        } else {
            m_dialogs.MessageBox("Server Socket failed to send: " + std::to_string(error),
                                 kWindowTitle, MsgButtons::Ok, MsgIcon::Warning, true);
        }
        return false;
    }
    return true;
}

void UdpSocket::ShowLastingFailure(const std::string& text) {
    m_dialogs.MessageBox(text, kWindowTitle, MsgButtons::Ok, MsgIcon::Warning, true);
}

void UdpSocket::OnReceive(int) {
    if (m_bClosed) return;
    m_strSenderAddr.clear();
    unsigned senderPort = 0; // the device is known by its address alone
    const int n =
        m_port.ReceiveFrom(m_buffer, proto::kMaxReceiveLength, m_strSenderAddr, senderPort);
    if (n < 0) {
        const int error = m_port.LastError();
        if (error == SockErr::WouldBlock || IsTransientReceiveError(error)) return;
        // A lasting failure of the socket itself.
        ShowLastingFailure("Socket Error occurred, Connection will be closed");
        m_port.Close();
        m_bClosed = true;
        return;
    }
    // An empty datagram carries no message; anyone can send one, so it must not cost the
    // dialer its socket.
    if (n == 0) return;
    m_buffer[n] = '\0';
    if (m_pOwner == nullptr) return;
    // A datagram that arrives while a handler has a box open is handled at once, inside
    // the box's loop: the handlers that open boxes keep one box of a kind open and let a
    // later request wait, so no handler runs inside itself and the window never sleeps.
    // The handler may open a modal box in which further datagrams arrive and reuse the
    // buffer, so it gets its own copy of the text.
    const std::string text(m_buffer, std::strlen(m_buffer));
    const std::string sender = m_strSenderAddr;
    m_pOwner->OnDatagram(sender, text);
}

} // namespace orvane
