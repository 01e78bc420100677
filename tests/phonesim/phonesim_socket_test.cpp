// orvane-phonesim as a program, over real sockets on 127.0.0.1 only: each phone listens on
// a free port of its own (--port 0), so tests never meet each other or the real port.
#include "PhoneSimProcess.h"
#include "Protocol.h"
#include "UdpClient.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sys/stat.h>
#include <thread>

namespace orvane::sim::test {
namespace {

using orvane::test::PhoneSimProcess;

namespace proto = orvane::proto;

const char* const kMac = "00:1A:2B:3C:4D:5E";

struct Fixture {
    PhoneSimProcess sim;
    UdpClient client;
    Endpoint phone;

    explicit Fixture(std::vector<std::string> phoneArgs)
        : sim(PHONESIM_EXE, [&] {
              phoneArgs.insert(phoneArgs.begin(), {"--port", "0"});
              return phoneArgs;
          }()) {
        EXPECT_TRUE(sim.WaitForLog("* READY")) << sim.Log();
        phone = Endpoint{"127.0.0.1", sim.PortOf("127.0.0.1")};
        EXPECT_NE(phone.port, 0);
    }
    std::vector<std::string> Ask(const std::string& text, int quietMs = 300) {
        client.Send(phone, text);
        return UdpClient::Texts(client.ReceiveAll(quietMs));
    }
};

long RssKb(pid_t pid) {
    std::ifstream f("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(f, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

TEST(PhonesimProgram, DiscoveryLoginAndLongListOverRealSockets) {
    Fixture f({"--phone", "addr=127.0.0.1,name=Front Desk,password=pw,contacts=999,calls=2999"});
    f.client.Send(f.phone, std::string("ORVN: ") + kMac + "\n");
    auto reply = f.client.Receive(2000);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->from, f.phone); // from the phone's own address and port
    EXPECT_EQ(reply->bytes.back(), '\0');
    auto r = proto::Read<proto::InKeyword::Orvn>(reply->Text());
    ASSERT_TRUE(r);
    EXPECT_EQ(r->ip, "127.0.0.1");
    EXPECT_EQ(r->name, "Front Desk");
    EXPECT_EQ(r->passwordRequired, 1);

    EXPECT_EQ(f.Ask(std::string("LOGIN: ") + kMac + " nope"),
              std::vector<std::string>{"DISP: 0 Wrong password"});
    auto t = f.Ask(std::string("LOGIN: ") + kMac + " pw");
    ASSERT_FALSE(t.empty());
    EXPECT_EQ(t[0], "LOGIN: 1");

    f.client.Send(f.phone, "KEY: 24");
    auto lists = f.client.ReceiveAll(500);
    std::vector<proto::CallItem> all;
    int datagrams = 0;
    for (const Datagram& d : lists) {
        EXPECT_LE(d.bytes.size(), proto::kMaxReceiveLength);
        if (d.Text().rfind("CALLS: ", 0) != 0) continue;
        ++datagrams;
        const proto::CallsMsg calls = proto::Read<proto::InKeyword::Calls>(d.Text()).value();
        for (const auto& item : calls.items) {
            if (item.index == 1) all.clear();
            ASSERT_EQ(item.index, static_cast<int>(all.size()) + 1);
            all.push_back(item);
        }
    }
    EXPECT_EQ(all.size(), 2999u);
    EXPECT_GT(datagrams, 20);

    // The log has one line per datagram, each way, easy to find.
    const std::string client = f.client.Self().ToString();
    const std::string log = f.sim.Log();
    EXPECT_NE(log.find(" 127.0.0.1 IN " + client + " LOGIN: " + kMac + " pw\n"), std::string::npos);
    EXPECT_NE(log.find(" 127.0.0.1 OUT " + client + " LOGIN: 1\n"), std::string::npos);
    EXPECT_NE(log.find(" 127.0.0.1 IN " + client + " ORVN: " + kMac + "\\n\n"), std::string::npos);
    EXPECT_EQ(PhoneSimProcess::Count(log, " OUT " + client + " CALLS: "), datagrams);
    EXPECT_NE(log.find(" NOTE login refused: wrong password"), std::string::npos);
}

TEST(PhonesimProgram, ControlInputSendsFaultsAndFloods) {
    Fixture f({"--phone", "addr=127.0.0.1"});
    f.Ask(std::string("LOGIN: ") + kMac + " ");
    UdpClient bystander;

    f.sim.Control("send DISP: 1 hello\\nthere");
    auto d = f.client.Receive(2000);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->bytes, std::string("DISP: 1 hello\nthere\0", 20));

    f.sim.Control("send-to " + bystander.Self().ToString() + " HOOK: ON");
    d = bystander.Receive(2000);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->Text(), "HOOK: ON");
    EXPECT_EQ(d->from, f.phone);

    struct Case {
        const char* line;
        std::size_t size;
    } faults[] = {{"fault empty", 0}, {"fault oversize size=6000", 6000}, {"raw ABC", 3}};
    for (const Case& c : faults) {
        f.sim.Control(c.line);
        d = f.client.Receive(2000);
        ASSERT_TRUE(d) << c.line;
        EXPECT_EQ(d->bytes.size(), c.size) << c.line;
    }
    f.sim.Control("fault nul");
    d = f.client.Receive(2000);
    ASSERT_TRUE(d);
    EXPECT_LT(d->bytes.find('\0'), d->bytes.size() - 1);

    // A flood at a set rate, bounded by its count.
    auto start = std::chrono::steady_clock::now();
    f.sim.Control("flood count=40 rate=200 KEY: 5");
    auto got = f.client.ReceiveAll(500);
    double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(got.size(), 40u);
    EXPECT_GE(ms, 39 * 5.0 * 0.8) << "40 datagrams at 200 per second take about 200 ms";
    EXPECT_TRUE(f.sim.WaitForLog("NOTE run done: 40 sent"));

    // ... or by its time.
    f.sim.Control("fault garbage count=100000 rate=100 seconds=1");
    got = f.client.ReceiveAll(1500);
    EXPECT_GE(got.size(), 80u);
    EXPECT_LE(got.size(), 120u);
    EXPECT_TRUE(f.sim.WaitForLog("time up with"));

    f.sim.Control("bogus line");
    EXPECT_TRUE(f.sim.WaitForLog("* CONTROL-ERROR unknown control command 'bogus'"));
    EXPECT_TRUE(f.sim.Running());
}

TEST(PhonesimProgram, HostileTrafficNeitherStopsNorGrowsIt) {
    Fixture f({"--phone", "addr=127.0.0.1,contacts=999,calls=2999"});
    f.Ask(std::string("LOGIN: ") + kMac + " ");
    const long before = RssKb(f.sim.Pid());
    UdpClient attacker;
    const std::string kinds[] = {"",
                                 std::string(60000, 'X'),
                                 std::string("DISP: 0 a\0b", 11),
                                 "PBOOK: 2 1 555 Ann",
                                 "\xff\xfe\xfd",
                                 std::string(4001, 'K'),
                                 "LOGIN: " + std::string(3000, 'M'),
                                 "SELECT: 99999999999999"};
    for (int round = 0; round < 2500; ++round)
        for (const std::string& k : kinds) {
            attacker.SendRaw(f.phone, k);
            f.client.SendRaw(f.phone, k); // also from its own controller
        }
    f.client.ReceiveAll(500);
    EXPECT_TRUE(f.sim.Running());
    auto t = f.Ask(std::string("ORVN: ") + kMac + "\n");
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].rfind("ORVN: T1 127.0.0.1 ", 0), 0u);
    const long after = RssKb(f.sim.Pid());
#if !defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer keeps freed memory in quarantine, so the bound means nothing there.
    EXPECT_LT(after - before, 4096) << "RSS " << before << " kB before, " << after << " kB after";
#endif
    RecordProperty("rss_growth_kb", static_cast<int>(after - before));
}

TEST(PhonesimProgram, ConsoleRunsNothingOnTheMachine) {
    Fixture f({"--phone", "addr=127.0.0.1"});
    f.Ask(std::string("LOGIN: ") + kMac + " ");
    const std::string marker = f.sim.Dir() + "/ran";
    for (const std::string& cmd :
         {"touch " + marker, "$(touch " + marker + ")", "`touch " + marker + "`",
          "ls;touch " + marker, "echo x>" + marker}) {
        auto t =
            f.Ask(proto::Write<proto::OutKeyword::Linux>(cmd.substr(0, proto::kMaxLinuxLength)));
        ASSERT_GE(t.size(), 2u) << cmd;
        EXPECT_EQ(t.front(), "LINUX_START:");
        EXPECT_EQ(t.back(), "LINUX_END:");
        struct stat st {};
        EXPECT_NE(stat(marker.c_str(), &st), 0) << cmd;
    }
    auto t = f.Ask("LINUX: uname -n");
    EXPECT_EQ(t, (std::vector<std::string>{"LINUX_START:", "LINUX: Desk Phone\n", "LINUX_END:"}));
}

TEST(PhonesimProgram, EndsOnEndOfInputOrSignalAndRefusesATakenPort) {
    {
        Fixture f({"--phone", "addr=127.0.0.1"});
        // A second program cannot take the same address and port.
        PhoneSimProcess second(PHONESIM_EXE, {"--port", std::to_string(f.phone.port)}, false);
        ASSERT_TRUE(second.Wait(5000));
        EXPECT_EQ(WEXITSTATUS(second.ExitStatus()), 1);

        f.sim.CloseControl();
        ASSERT_TRUE(f.sim.Wait(5000));
        EXPECT_TRUE(WIFEXITED(f.sim.ExitStatus()));
        EXPECT_EQ(WEXITSTATUS(f.sim.ExitStatus()), 0);
        EXPECT_NE(f.sim.Log().find(" * STOP"), std::string::npos);
    }
    {
        PhoneSimProcess sim(PHONESIM_EXE, {"--port", "0"}, false);
        ASSERT_TRUE(sim.WaitForLog("* READY"));
        kill(sim.Pid(), SIGTERM);
        ASSERT_TRUE(sim.Wait(5000));
        EXPECT_EQ(WEXITSTATUS(sim.ExitStatus()), 0);
    }
    {
        PhoneSimProcess bad(PHONESIM_EXE, {"--phone", "addr=10.77.0.11,contacts=5000"}, false);
        ASSERT_TRUE(bad.Wait(5000));
        EXPECT_EQ(WEXITSTATUS(bad.ExitStatus()), 2);
    }
}

// The child-process helper the tests and the driver share: a program that cannot start is
// reported with its reason, an ended child no longer counts as running, and stopping ends
// the phone cleanly whether or not it reads control input.
TEST(PhoneSimProcessHelper, StartsStopsAndReportsAsItShould) {
    struct Refused {
        std::string program, reason;
    };
    for (const Refused& c : std::vector<Refused>{
             {"/nonexistent/orvane-phonesim", "No such file or directory"},
             {"/tmp", "Permission denied"}, // a folder
         }) {
        SCOPED_TRACE(c.program);
        PhoneSimProcess sim;
        EXPECT_FALSE(sim.Start(c.program, {"--port", "0"}));
        EXPECT_NE(sim.Error().find("cannot start " + c.program + ": " + c.reason),
                  std::string::npos)
            << sim.Error();
        EXPECT_FALSE(sim.Running());
    }

    struct Stopped {
        const char* name;
        bool control;
    };
    for (const Stopped& c : {Stopped{"with control input", true}, Stopped{"without", false}}) {
        SCOPED_TRACE(c.name);
        PhoneSimProcess sim(PHONESIM_EXE, {"--port", "0"}, c.control);
        ASSERT_TRUE(sim.WaitForLog("* READY")) << sim.Error();
        EXPECT_FALSE(sim.Start(PHONESIM_EXE, {"--port", "0"}));
        EXPECT_EQ(sim.Error(), "already running");
        const auto before = std::chrono::steady_clock::now();
        ASSERT_TRUE(sim.Stop(3000));
        // Well before the 3 s after which a phone that ignores its stop is killed.
        EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(2000));
        EXPECT_TRUE(WIFEXITED(sim.ExitStatus()));
        EXPECT_EQ(WEXITSTATUS(sim.ExitStatus()), 0);
        EXPECT_NE(sim.Log().find(" * STOP"), std::string::npos);
    }

    // A child that ends by itself is not running, without anyone waiting for it first.
    PhoneSimProcess bad(PHONESIM_EXE, {"--phone", "addr=10.77.0.11,contacts=5000"}, false);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (bad.Running() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(bad.Running());
    EXPECT_EQ(WEXITSTATUS(bad.ExitStatus()), 2);
}

} // namespace
} // namespace orvane::sim::test
