// A call ringing on the controlled phone, as the dialer learns it from the phone's face.
#include "FakePorts.h"
#include "IncomingCall.h"
#include "FaceIds.h"

#include <gtest/gtest.h>

namespace orvane::test {
namespace {

struct RingRig : DialerRig {
    RingRig() {
        Init();
        Address();
    }
    std::optional<IncomingCall> Ringing() { return RingingCall(face(), dlg->IsControlling()); }
};

TEST(IncomingCall, TheIncomingPictureAndTheLinesNameTheCaller) {
    struct Case {
        const char* what;
        std::vector<std::string> messages;
        std::optional<IncomingCall> call;
    };
    const Case cases[] = {
        {"name and number",
         {"ICON: 21 0", "DISP: 7 Incoming call\nAnn Lee\n555"},
         IncomingCall{"Ann Lee", "555"}},
        {"number only, on line 2",
         {"ICON: 21 0", "DISP: 7 Incoming call\n+49 30 1234"},
         IncomingCall{"", "+49 30 1234"}},
        {"lines first, picture last",
         {"DISP: 7 Incoming call\nBo\n777", "ICON: 21 0"},
         IncomingCall{"Bo", "777"}},
        {"no number shown",
         {"ICON: 21 0", "DISP: 7 Incoming call\nAnonymous\n"},
         IncomingCall{"Anonymous", ""}},
        {"connected picture", {"ICON: 20 0", "DISP: 7 Connected\nAnn\n555"}, std::nullopt},
        {"ringing ended",
         {"ICON: 21 0", "DISP: 7 Incoming call\nAnn\n555", "ICON: 42 0"},
         std::nullopt},
        {"status picture hidden", {"ICON: 21 0", "CLR: 5"}, std::nullopt},
        {"nothing", {}, std::nullopt},
    };
    for (const Case& c : cases) {
        RingRig rig;
        for (const std::string& m : c.messages)
            rig.Receive(m);
        const std::optional<IncomingCall> call = rig.Ringing();
        ASSERT_EQ(call.has_value(), c.call.has_value()) << c.what;
        if (call) {
            EXPECT_EQ(call->name, c.call->name) << c.what;
            EXPECT_EQ(call->number, c.call->number) << c.what;
        }
    }
}

TEST(IncomingCall, NoPhoneUnderControlRingsNothing) {
    RingRig rig;
    rig.Receive("ICON: 21 0");
    rig.Receive("DISP: 7 Incoming call\nAnn\n555");
    EXPECT_TRUE(rig.Ringing().has_value());
    // A login on its way: not controlled until the phone answers it.
    rig->SendCommand("LOGIN: 00:11:22:33:44:55 ");
    EXPECT_FALSE(rig->IsControlling());
    EXPECT_FALSE(rig.Ringing().has_value());
    rig.Receive("LOGIN: 1");
    EXPECT_TRUE(rig->IsControlling());
    EXPECT_TRUE(rig.Ringing().has_value());
    rig->Socket().ClearDeviceAddr();
    EXPECT_FALSE(rig.Ringing().has_value());
}

TEST(IncomingCall, AnswerAndRejectAreThePhonesOwnKeys) {
    struct Case {
        std::vector<std::string> labels; // TEXT_KEY 1 to 3
        int answer;
        int reject;
    };
    const Case cases[] = {
        {{"Answer", "", "Reject"}, 12, 14},
        {{"", "ANSWER", "reject"}, 13, 14},
        {{"Hold", "", "End"}, 19, 20}, // none labelled: SEND and END
        {{"Answer", "Reject", ""}, 12, 13},
    };
    for (const Case& c : cases) {
        RingRig rig;
        for (int slot = 1; slot <= 3; ++slot)
            rig.Receive("TEXT_KEY: " + std::to_string(slot) + " " +
                        c.labels[static_cast<std::size_t>(slot - 1)]);
        const CallKeys keys = IncomingCallKeys(rig.face());
        EXPECT_EQ(keys.answer, c.answer) << c.labels[0] << c.labels[1] << c.labels[2];
        EXPECT_EQ(keys.reject, c.reject) << c.labels[0] << c.labels[1] << c.labels[2];
    }
}

} // namespace
} // namespace orvane::test
