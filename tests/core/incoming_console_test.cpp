// The Linux console's answer: fragments collected between "LINUX_START:" and "LINUX_END:",
// shown in one box, with the device's further messages handled while the box is open.
#include "FakePorts.h"
#include "face/FaceIds.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

using test::DialerRig;

class Console : public ::testing::Test {
  protected:
    void SetUp() override {
        rig.Init();
        rig.Address();
        rig.Sent();
    }
    void Run(const std::vector<std::string>& messages) {
        for (const std::string& m : messages)
            rig.Receive(m);
    }
    const std::vector<test::ShownBox>& Boxes() { return rig.dialogs.boxes; }

    DialerRig rig;
};

TEST_F(Console, AnswerIsCollectedVerbatimAndShownInOneBox) {
    struct Case {
        std::vector<std::string> messages;
        std::string shown;
    };
    const Case cases[] = {
        {{"LINUX_START:", "LINUX: total 8\n", "LINUX: -rw-r--r-- 1 root  cfg\n", "LINUX_END:"},
         "total 8\n-rw-r--r-- 1 root  cfg\n"},
        {{"LINUX_START:", "LINUX: par", "LINUX: tial line\r\n", "LINUX_END:"}, "partial line\r\n"},
        {{"LINUX_START:", "LINUX_END:"}, ""},
        {{"LINUX_START:", "LINUX:", "LINUX: ", "LINUX:  x", "LINUX_END:"}, " x"},
        {{"LINUX_START:", "LINUX: " + std::string(3993, 'o'), "LINUX_END:"},
         std::string(3993, 'o')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown.substr(0, 20));
        rig.dialogs.boxes.clear();
        Run(c.messages);
        ASSERT_EQ(Boxes().size(), 1u);
        EXPECT_EQ(Boxes()[0].text, c.shown);
        EXPECT_EQ(Boxes()[0].caption, "Linux Response");
        EXPECT_EQ(Boxes()[0].buttons, MsgButtons::Ok);
        EXPECT_EQ(Boxes()[0].icon, MsgIcon::Information);
        EXPECT_TRUE(Boxes()[0].owned);
        EXPECT_EQ(rig->m_strLinuxResponse, c.shown) << "the text stays after the box";
        EXPECT_TRUE(rig.Sent().empty());
    }
}

TEST_F(Console, FragmentsWithoutAStartAddToThePreviousAnswer) {
    Run({"LINUX_START:", "LINUX: first\n", "LINUX_END:"});
    Run({"LINUX: more\n", "LINUX_END:"});
    Run({"LINUX_END:"});
    ASSERT_EQ(Boxes().size(), 3u);
    EXPECT_EQ(Boxes()[1].text, "first\nmore\n");
    EXPECT_EQ(Boxes()[2].text, "first\nmore\n");
}

TEST_F(Console, MessagesArrivingWhileTheBoxIsOpenAreHandledAtOnce) {
    rig.dialogs.duringModal = [&] {
        EXPECT_EQ(rig->m_bDispatching, 0);
        rig.Receive("DISP: 1 behind the box");
        // A second command's answer: its start empties the text, its end opens a box
        // above the first, which keeps showing the first answer.
        rig.Receive("LINUX_START:");
        rig.Receive("LINUX: second\n");
        rig.Receive("LINUX_END:");
    };
    Run({"LINUX_START:", "LINUX: first\n", "LINUX_END:"});
    EXPECT_TRUE(rig.platform.sleeps.empty()) << "no hold-off while the box is open";
    EXPECT_EQ(rig.face().Text(Ctl::DisplayLine1), "behind the box");
    ASSERT_EQ(Boxes().size(), 2u);
    EXPECT_EQ(Boxes()[0].text, "first\n");
    EXPECT_EQ(Boxes()[1].text, "second\n");
    EXPECT_EQ(rig->m_strLinuxResponse, "second\n");
    EXPECT_EQ(rig->m_bDispatching, 0);
}

TEST_F(Console, OpenBoxKeepsItsTextWhileFragmentsArrive) {
    rig.dialogs.duringModal = [&] { rig.Receive("LINUX: late\n"); };
    Run({"LINUX_START:", "LINUX: early\n", "LINUX_END:"});
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, "early\n");
    EXPECT_EQ(rig->m_strLinuxResponse, "early\nlate\n");
}

} // namespace
} // namespace orvane
