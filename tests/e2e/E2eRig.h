// What every end-to-end test starts from: emulated phones in a child process, the real
// dialer in this process with a settings folder of its own, a watcher that answers modal
// boxes, and helpers that wait for what the user sees and what the phone received.
#pragma once

#include "FaceIds.h"
#include "LiveDialer.h"
#include "ModalWatch.h"
#include "PhoneSim.h"
#include "Wait.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace orvane::demo::test {

inline std::string str(const QString& s) {
    return s.toStdString();
}

inline SimPhone Phone(const char* address, const char* name) {
    SimPhone p;
    p.address = QString::fromLatin1(address);
    p.name = QString::fromLatin1(name);
    p.contacts = 12;
    p.calls = 12;
    return p;
}

constexpr const char* kFront = "10.77.0.11";
constexpr const char* kLobby = "10.77.0.12";
constexpr const char* kSales = "10.77.0.13";

class E2e : public ::testing::Test {
  protected:
    // Starts the phones; every test has a process of its own.
    void StartPhones(const std::vector<SimPhone>& phones) {
        ASSERT_TRUE(sim.start(phones)) << str(sim.error());
    }
    // A dialer over this test's settings folder (the "login session").
    LiveDialer& StartDialer(unsigned keepAliveMs = 0) {
        LiveDialer::Options options;
        options.runtimeDir = runtime.path();
        options.privateContacts = contactsFile;
        options.keepAliveMs = keepAliveMs;
        dialer = std::make_unique<LiveDialer>(options);
        mac = QString::fromStdString(dialer->dialog().localMac());
        dialer->start();
        return *dialer;
    }
    // The dialer as the first search leaves it controlling the only phone: its idle
    // screen is on the face.
    void ConnectToOnlyPhone(const SimPhone& phone, unsigned keepAliveMs = 0) {
        StartPhones({phone});
        StartDialer(keepAliveMs);
        ASSERT_TRUE(sim.waitFor("OUT", "LOGIN: 1", 1, 8000)) << str(sim.logText());
        ASSERT_TRUE(Shows(Ctl::DisplayLine0, phone.name)) << str(d().displaySummary());
    }
    // The search has ended with the device list on view.
    void WaitForDeviceList(int rows) {
        ASSERT_TRUE(waitUntil([&] { return d().visible(Ctl::DeviceList); }, 8000))
            << str(d().displaySummary());
        ASSERT_TRUE(waitUntil([&] { return d().rows(Ctl::DeviceList) == rows; }, 2000));
    }

    // Waits until control `id` is on view with `text`.
    bool Shows(int id, const QString& text, int ms = 5000) {
        return waitUntil([&] { return d().visible(id) && d().text(id) == text; }, ms);
    }
    bool Shows(int id, const char* text, int ms = 5000) {
        return Shows(id, QString::fromLatin1(text), ms);
    }
    // Waits for the phone to receive a datagram that starts with `prefix`.
    bool PhoneGot(const QString& prefix, int times = 1, int ms = 5000, const QString& phone = {}) {
        return sim.waitFor(QStringLiteral("IN"), prefix, times, ms, phone);
    }
    bool PhoneGot(const char* prefix, int times = 1, int ms = 5000, const char* phone = "") {
        return PhoneGot(QString::fromLatin1(prefix), times, ms, QString::fromLatin1(phone));
    }
    int PhoneCount(const char* prefix, const char* phone = "") {
        return sim.count(QStringLiteral("IN"), QString::fromLatin1(prefix),
                         QString::fromLatin1(phone));
    }
    // Waits for the phone to send (and log) a datagram that starts with `prefix`.
    bool PhoneSent(const char* prefix, int times = 1, int ms = 5000) {
        return sim.waitFor(QStringLiteral("OUT"), QString::fromLatin1(prefix), times, ms);
    }

    LiveDialer& d() { return *dialer; }

    void TearDown() override {
        dialer.reset();
        sim.stop();
    }

    PhoneSim sim;
    QTemporaryDir runtime;
    QString contactsFile = runtime.filePath(QStringLiteral("PrivateContacts.txt"));
    std::unique_ptr<LiveDialer> dialer;
    ModalWatch boxes;
    QString mac;
};

} // namespace orvane::demo::test
