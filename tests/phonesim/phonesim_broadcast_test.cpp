// Two phones of one program on two addresses, inside the sealed network namespace: one
// broadcast discovery is answered by both, each from its own address, and unicast to
// each address reaches only its phone. Refuses to run anywhere but in that namespace.
#include "PhoneSimProcess.h"
#include "Protocol.h"
#include "UdpClient.h"

#include <gtest/gtest.h>

#include <ifaddrs.h>
#include <net/if.h>

#include <set>

namespace orvane::sim::test {
namespace {

using orvane::test::PhoneSimProcess;

namespace proto = orvane::proto;

const char* const kMac = "00:1A:2B:3C:4D:5E";
const Endpoint kBroadcast{"255.255.255.255", 8888};
const Endpoint kFront{"10.77.0.11", 8888};
const Endpoint kLobby{"10.77.0.12", 8888};

// True only inside the sealed namespace: loopback and the sn0/sn1 pair with 10.77.0.1,
// and no other interface that could carry a broadcast out.
bool InsideSealedNet() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return false;
    bool haveSn0 = false, foreign = false;
    for (ifaddrs* i = list; i; i = i->ifa_next) {
        std::string name = i->ifa_name ? i->ifa_name : "";
        if (name != "lo" && name != "sn0" && name != "sn1") foreign = true;
        if (name == "sn0" && i->ifa_addr && i->ifa_addr->sa_family == AF_INET) {
            char ip[INET_ADDRSTRLEN] = {};
            inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(i->ifa_addr)->sin_addr, ip,
                      sizeof ip);
            if (std::string(ip) == "10.77.0.1") haveSn0 = true;
        }
    }
    freeifaddrs(list);
    return haveSn0 && !foreign;
}

TEST(PhonesimSealed, TwoPhonesAnswerOneBroadcastEachFromItsOwnAddress) {
    if (!InsideSealedNet()) GTEST_SKIP() << "not inside the sealed network namespace";
    PhoneSimProcess sim(PHONESIM_EXE, {"--phone", "addr=10.77.0.11,name=Front Desk", "--phone",
                                       "addr=10.77.0.12,name=Lobby phone,model=old"});
    ASSERT_TRUE(sim.WaitForLog("* READY")) << sim.Log();
    EXPECT_NE(sim.Log().find(" * LISTEN 0.0.0.0:8888 broadcast"), std::string::npos);

    UdpClient dialer("10.77.0.1", true);
    dialer.Send(kBroadcast, std::string("ORVN: ") + kMac + "\n");
    auto replies = dialer.ReceiveAll(800);
    ASSERT_EQ(replies.size(), 2u) << sim.Log();
    std::set<std::string> senders;
    for (const Datagram& d : replies) {
        senders.insert(d.from.ToString());
        auto r = proto::Read<proto::InKeyword::Orvn>(d.Text());
        ASSERT_TRUE(r) << d.Text();
        EXPECT_EQ(r->ip, d.from.ip) << "each phone states the address it answers from";
        if (d.from == kFront) {
            EXPECT_EQ(r->name, "Front Desk");
            EXPECT_FALSE(r->initOnly);
        } else {
            EXPECT_EQ(r->name, "Lobby phone");
            EXPECT_TRUE(r->initOnly);
        }
    }
    EXPECT_EQ(senders, (std::set<std::string>{"10.77.0.11:8888", "10.77.0.12:8888"}));
    const std::string dialerText = dialer.Self().ToString();
    for (const char* phone : {"10.77.0.11", "10.77.0.12"})
        EXPECT_NE(sim.Log().find(std::string(" ") + phone + " BCAST " + dialerText + " ORVN: "),
                  std::string::npos)
            << phone;

    // Unicast reaches exactly the phone at that address.
    dialer.Send(kFront, std::string("LOGIN: ") + kMac + " ");
    auto got = dialer.ReceiveAll(500);
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got.front().Text(), "LOGIN: 1");
    for (const Datagram& d : got)
        EXPECT_EQ(d.from, kFront);

    dialer.Send(kLobby, "INIT:");
    got = dialer.ReceiveAll(500);
    ASSERT_FALSE(got.empty());
    for (const Datagram& d : got)
        EXPECT_EQ(d.from, kLobby);
    EXPECT_TRUE(std::any_of(got.begin(), got.end(),
                            [](const Datagram& d) { return d.Text() == "DISP: 0 Lobby phone"; }));

    const std::string log = sim.Log();
    EXPECT_EQ(PhoneSimProcess::Count(log, " 10.77.0.12 IN " + dialerText + " LOGIN:"), 0);
    EXPECT_EQ(PhoneSimProcess::Count(log, " 10.77.0.11 IN " + dialerText + " INIT:"), 0);

    // The subnet's directed broadcast counts as broadcast; the namespace's own address,
    // where no phone lives, gets no answer from any of them.
    dialer.Send(Endpoint{"10.77.0.255", 8888}, std::string("ORVN: ") + kMac + "\n");
    EXPECT_EQ(dialer.ReceiveAll(800).size(), 2u);
    dialer.Send(Endpoint{"10.77.0.1", 8888}, std::string("ORVN: ") + kMac + "\n");
    EXPECT_TRUE(dialer.ReceiveAll(500).empty());
    EXPECT_TRUE(sim.WaitForLog(" to 10.77.0.1, which no phone has"));

    // A broadcast command other than discovery is not obeyed, even by the controller.
    dialer.Send(kBroadcast, "KEY: 23");
    EXPECT_TRUE(dialer.ReceiveAll(400).empty());

    // Discovery again: the phones now report the dialer as their controller, so free.
    dialer.Send(kBroadcast, std::string("ORVN: ") + kMac + "\n");
    replies = dialer.ReceiveAll(800);
    ASSERT_EQ(replies.size(), 2u);
    for (const Datagram& d : replies)
        EXPECT_EQ(proto::Read<proto::InKeyword::Orvn>(d.Text())->busy, 0);
    UdpClient stranger("10.77.0.1", true);
    stranger.Send(kBroadcast, "ORVN: 00:99:88:77:66:55\n");
    replies = stranger.ReceiveAll(800);
    ASSERT_EQ(replies.size(), 2u);
    for (const Datagram& d : replies)
        EXPECT_EQ(proto::Read<proto::InKeyword::Orvn>(d.Text())->busy, 1);
}

} // namespace
} // namespace orvane::sim::test
