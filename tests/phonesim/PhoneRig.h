// A phone driven directly: a clock the test moves and a recorder of everything it sends.
#pragma once

#include "Phone.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace orvane::sim::test {

class FakeClock : public IClock {
  public:
    std::int64_t ms = 5'000'000;
    std::time_t wall = 1765285200; // a Tuesday afternoon in December
    std::int64_t NowMs() const override { return ms; }
    std::time_t WallTime() const override { return wall + static_cast<std::time_t>(ms / 1000); }
};

struct Sent {
    std::string from;
    Endpoint to;
    std::string bytes; // the NUL included
    std::string Text() const { return std::string(bytes.c_str()); }
};

class Recorder : public IPhoneOutput {
  public:
    std::vector<Sent> sent;
    std::vector<std::string> notes;
    std::size_t largest = 0;

    void SendDatagram(const std::string& fromAddr, const Endpoint& to,
                      const std::string& bytes) override {
        largest = std::max(largest, bytes.size());
        sent.push_back(Sent{fromAddr, to, bytes});
    }
    void Note(const std::string&, std::string_view text) override { notes.emplace_back(text); }
    // The texts sent since the last call.
    std::vector<std::string> Take() {
        std::vector<std::string> t;
        for (std::size_t i = m_taken; i < sent.size(); ++i)
            t.push_back(sent[i].Text());
        m_taken = sent.size();
        return t;
    }

  private:
    std::size_t m_taken = 0;
};

inline const char* const kMac = "00:1A:2B:3C:4D:5E";
inline const char* const kOtherMac = "00:99:88:77:66:55";

inline PhoneConfig SmallPhone() {
    PhoneConfig cfg;
    cfg.address = "10.77.0.11";
    cfg.name = "Front Desk";
    cfg.contacts = 12;
    cfg.calls = 8;
    return cfg;
}

struct PhoneRig {
    FakeClock clock;
    Recorder out;
    std::unique_ptr<Phone> phone;
    Endpoint dialer{"10.77.0.1", 40000};
    Endpoint other{"10.77.0.2", 41000};

    explicit PhoneRig(PhoneConfig cfg = SmallPhone()) {
        phone = std::make_unique<Phone>(std::move(cfg), out, clock);
        phone->Start();
    }
    std::vector<std::string> From(const Endpoint& from, const std::string& text,
                                  bool broadcast = false) {
        std::string bytes = text;
        bytes += '\0';
        phone->OnDatagram(from, bytes, broadcast);
        return out.Take();
    }
    std::vector<std::string> Cmd(const std::string& text) { return From(dialer, text); }
    std::vector<std::string> Login(const std::string& password = "") {
        return Cmd(std::string("LOGIN: ") + kMac + " " + password);
    }
    // Moves the clock, running every timer that falls due on the way.
    std::vector<std::string> Advance(std::int64_t ms) {
        std::int64_t end = clock.ms + ms;
        for (int guard = 0; guard < 100000; ++guard) {
            auto d = phone->NextDeadline();
            if (!d || *d > end) break;
            clock.ms = std::max(clock.ms, *d);
            phone->OnTimer();
        }
        clock.ms = end;
        return out.Take();
    }
};

inline bool Has(const std::vector<std::string>& texts, const std::string& t) {
    return std::find(texts.begin(), texts.end(), t) != texts.end();
}

inline bool HasPrefix(const std::vector<std::string>& texts, const std::string& prefix) {
    return std::any_of(texts.begin(), texts.end(),
                       [&](const std::string& s) { return s.rfind(prefix, 0) == 0; });
}

inline std::vector<std::string> WithPrefix(const std::vector<std::string>& texts,
                                           const std::string& prefix) {
    std::vector<std::string> r;
    for (const std::string& s : texts)
        if (s.rfind(prefix, 0) == 0) r.push_back(s);
    return r;
}

} // namespace orvane::sim::test
