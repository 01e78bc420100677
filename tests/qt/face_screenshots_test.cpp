// Pictures of the main screens of the face, to look at: the start face, the device list,
// the dial pad while dialling, a list screen and the contact editor. Each is checked for
// the controls that make the screen, then written as a PNG into ORVANE_SCREENSHOT_DIR
// (default: "face-screenshots" in the working directory).
#include "DialerWindow.h"
#include "FaceIds.h"
#include "FakePorts.h"

#include <QDir>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

using namespace orvane;

namespace {

QString ShotDir() {
    const QString dir = qEnvironmentVariableIsSet("ORVANE_SCREENSHOT_DIR")
                            ? qEnvironmentVariable("ORVANE_SCREENSHOT_DIR")
                            : QStringLiteral("face-screenshots");
    QDir().mkpath(dir);
    return dir;
}

class FaceShots : public ::testing::Test {
  protected:
    void SetUp() override {
        rig.Init();
        window = std::make_unique<DialerWindow>(*rig.dlg);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    void receive(const std::string& text, const std::string& from = "10.77.0.11") {
        window->callCore([&] { rig.Receive(text, from); });
    }
    void shoot(const char* name) {
        QTest::qWait(20);
        const QString file = ShotDir() + "/" + name;
        ASSERT_TRUE(window->grab().save(file)) << file.toStdString();
    }
    // A controlled phone's idle screen, as a device paints it after a login.
    void paintIdle() {
        for (const char* m :
             {"DISP: 1 Wed 09 Dec 14:00", "DISP: 0 Front Desk", "TEXT_KEY: 1 Enter",
              "TEXT_KEY: 2 DND", "TEXT_KEY: 3 Menu", "ICON: 102 0", "ICON: 106 0", "ICON: 33 0"})
            receive(m);
    }
    bool shown(int id) { return window->control(id)->isVisibleTo(window.get()); }
    int rows(int listId) {
        auto* tree = qobject_cast<QTreeView*>(window->control(listId));
        return tree->model()->rowCount();
    }

    test::DialerRig rig;
    std::unique_ptr<DialerWindow> window;
};

TEST_F(FaceShots, StartFace) {
    EXPECT_TRUE(shown(Ctl::Key5));
    EXPECT_TRUE(shown(Ctl::Send));
    EXPECT_FALSE(shown(Ctl::DeviceList));
    shoot("01-start-face.png");
}

TEST_F(FaceShots, DeviceList) {
    window->callCore([&] { rig.Fire(Timer::Connect); });
    receive("ORVN: T1 10.77.0.11 A0B1C2 0 0 Front Desk");
    receive("ORVN: T1 10.77.0.12 A0B1C3 1 0 Lobby", "10.77.0.12");
    receive("ORVN: T2 10.77.0.13 A0B1C4 0 1 Sales Office", "10.77.0.13");
    window->callCore([&] { rig.Fire(Timer::SearchEnd); });
    EXPECT_TRUE(shown(Ctl::DeviceList));
    EXPECT_EQ(rows(Ctl::DeviceList), 3);
    EXPECT_FALSE(shown(Ctl::Key5));
    shoot("02-device-list.png");
}

TEST_F(FaceShots, DialPadWhileDialling) {
    rig.Address();
    paintIdle();
    receive("HOOK: ON");
    for (int key : {Ctl::Key5, Ctl::Key1, Ctl::Key2})
        QTest::mouseClick(window->control(key), Qt::LeftButton);
    EXPECT_TRUE(shown(Ctl::EntryEdit));
    EXPECT_TRUE(shown(Ctl::DeleteKey));
    EXPECT_TRUE(shown(Ctl::BackKey));
    EXPECT_EQ(rig.face().Text(Ctl::EntryEdit), "512");
    shoot("03-dial-pad.png");
}

TEST_F(FaceShots, PhonebookList) {
    rig.Address();
    receive("DISP: 1 Contacts");
    receive("PBOOK: 1 1 5550101 Ann Lee;2 5550102 Bo Berg;3 5550103 Carla Diaz;"
            "4 5550104 Dev Patel;5 5550105 Emma Stone;6 5550106 Farid Khan;");
    receive("ICON_KEY: 1 1");
    receive("ICON_KEY: 2 2");
    receive("ICON_KEY: 3 0");
    EXPECT_TRUE(shown(Ctl::PhonebookList));
    EXPECT_EQ(rows(Ctl::PhonebookList), 6);
    EXPECT_TRUE(shown(Ctl::EditKey));
    EXPECT_TRUE(window->control(Ctl::Send)->isEnabled()) << "a selected row enables SEND";
    shoot("04-phonebook.png");
}

TEST_F(FaceShots, ContactEditor) {
    rig.Address();
    receive("PBOOK: -1 1 5550101 Ann Lee;2 5550102 Bo Berg;");
    receive("ICON_KEY: 1 3");
    receive("ADD:");
    EXPECT_TRUE(shown(Ctl::NameEdit));
    EXPECT_TRUE(shown(Ctl::NumberEdit));
    EXPECT_TRUE(shown(Ctl::NameLabel));
    EXPECT_FALSE(shown(Ctl::PhonebookList));
    EXPECT_EQ(rig.face().Get(Ctl::EditKey).images.normal, Bmp::Save);
    shoot("05-contact-editor.png");
}

} // namespace
