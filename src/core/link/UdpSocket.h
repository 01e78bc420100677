// The one datagram socket of the dialer: the discovery broadcast, the commands to the
// controlled device, and every message that comes back.
#pragma once

#include "ports.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace orvane {

// Who handles each datagram the socket reads: the dialog.
class DatagramSink {
  public:
    // `msg` is the datagram's text up to its first NUL.
    virtual void OnDatagram(std::string_view sender, std::string_view msg) = 0;

  protected:
    ~DatagramSink() = default;
};

class UdpSocket {
  public:
    // Creates the socket on any port; a failure shows its message and construction goes on.
    UdpSocket(DatagramPort& port, Dialogs& dialogs);
    virtual ~UdpSocket();
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    // Notifications from the shell: the socket is readable (one datagram waits) or writable.
    virtual void OnReceive(int errorCode);
    virtual void OnSend(int errorCode);

    virtual bool SendBroadcast(const void* data, std::size_t length);
    virtual bool Send(const void* data, std::size_t length);

    // The controlled device's address as dotted IPv4 text (or a host name typed by the
    // user); empty means no device is addressed. Never longer than 59 characters.
    const std::string& DeviceAddr() const { return m_szDeviceAddr; }
    // Returns false (and leaves the address) for a text longer than 59 characters.
    bool SetDeviceAddr(const std::string& addr);
    void ClearDeviceAddr() { m_szDeviceAddr.clear(); }

    bool IsClosed() const { return m_bClosed; }

    bool m_bReadyToSend = false;
    DatagramSink* m_pOwner = nullptr;
    std::string m_strSenderAddr;
    bool m_bBroadcast = false;
    // The value last given to the socket's broadcast option, so the option is only
    // touched when it has to change. Starts at 1, so the first unicast clears it.
    int s_nBroadcastOpt = 1;

    static constexpr std::size_t kAddrCapacity = 59;

  private:
    void ShowLastingFailure(const std::string& text);

    DatagramPort& m_port;
    Dialogs& m_dialogs;
    std::string m_szDeviceAddr;
    bool m_bClosed = false;
    char m_buffer[4096];
};

// Receive errors that only concern the one datagram (or a datagram that bounced), not the
// socket: the datagram is dropped and the socket keeps working.
bool IsTransientReceiveError(int error);

} // namespace orvane
