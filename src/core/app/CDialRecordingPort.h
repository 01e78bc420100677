// The datagram port of the program with one addition: every number the dialer dials
// ("DIAL: %s", whether typed, picked from a list or handed over by a link) is kept in the
// recent numbers once it has been sent.
#pragma once

#include "CRecentNumbers.h"
#include "ports.h"

namespace orvane {

class CDialRecordingPort : public DatagramPort {
  public:
    CDialRecordingPort(DatagramPort& inner, CRecentNumbers& recent)
        : m_inner(inner), m_recent(recent) {}

    bool Create() override { return m_inner.Create(); }
    bool SetBroadcast(bool on) override { return m_inner.SetBroadcast(on); }
    bool SendTo(const void* data, std::size_t length, const std::string& host,
                std::uint16_t port) override;
    int ReceiveFrom(void* buffer, std::size_t capacity, std::string& senderAddr,
                    unsigned& senderPort) override {
        return m_inner.ReceiveFrom(buffer, capacity, senderAddr, senderPort);
    }
    void Close() override { m_inner.Close(); }
    int LastError() const override { return m_inner.LastError(); }

  private:
    DatagramPort& m_inner;
    CRecentNumbers& m_recent;
};

} // namespace orvane
