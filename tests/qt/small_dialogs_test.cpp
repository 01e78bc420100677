// The device's text prompt and the About box, alone and run modally through the dialogs
// port.
#include "CAboutDlg.h"
#include "CTextInputDlg.h"
#include "QtPorts.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

using namespace orvane;

namespace {

TextInputRequest Request(const std::string& initial = "abc") {
    return {"Enter the code", "OK", "Cancel", initial};
}

// Runs `act` inside the next modal dialog's event loop.
void DuringNextModal(const std::function<void(QWidget*)>& act) {
    QTimer::singleShot(0, [act] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        act(modal);
    });
}

} // namespace

TEST(TextPrompt, ShowsTheRequest) {
    CTextInputDlg prompt({"Enter the code", "Send", "Skip", "4711"});
    EXPECT_EQ(prompt.promptLabel()->text(), QStringLiteral("Enter the code"));
    EXPECT_EQ(prompt.firstButton()->text(), QStringLiteral("Send"));
    EXPECT_EQ(prompt.secondButton()->text(), QStringLiteral("Skip"));
    EXPECT_EQ(prompt.edit()->text(), QStringLiteral("4711"));
    EXPECT_TRUE(prompt.windowFlags().testFlag(Qt::FramelessWindowHint));
}

TEST(TextPrompt, EveryWayOutAnswersWithTheFieldsText) {
    struct Case {
        const char* what;
        std::function<void(CTextInputDlg&)> act;
        int button;
    };
    const Case cases[] = {
        {"first button",
         [](CTextInputDlg& d) { QTest::mouseClick(d.firstButton(), Qt::LeftButton); }, 1},
        {"second button",
         [](CTextInputDlg& d) { QTest::mouseClick(d.secondButton(), Qt::LeftButton); }, 2},
        {"Enter in the field", [](CTextInputDlg& d) { QTest::keyClick(d.edit(), Qt::Key_Return); },
         1},
        {"keypad Enter in the field",
         [](CTextInputDlg& d) { QTest::keyClick(d.edit(), Qt::Key_Enter, Qt::KeypadModifier); }, 1},
        {"Escape in the field", [](CTextInputDlg& d) { QTest::keyClick(d.edit(), Qt::Key_Escape); },
         2},
        {"Enter on the focused second button",
         [](CTextInputDlg& d) {
             d.secondButton()->setFocus();
             QTest::keyClick(d.secondButton(), Qt::Key_Return);
         },
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CTextInputDlg prompt(Request("abc"));
        prompt.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&prompt));
        prompt.edit()->setText("typed text");
        c.act(prompt);
        EXPECT_FALSE(prompt.isVisible());
        EXPECT_EQ(prompt.answer().button, c.button);
        EXPECT_EQ(prompt.answer().text, "typed text");
    }
}

TEST(TextPrompt, AnUntouchedOrEmptiedFieldAnswersAsItStands) {
    CTextInputDlg untouched(Request("initial"));
    untouched.show();
    QTest::mouseClick(untouched.secondButton(), Qt::LeftButton);
    EXPECT_EQ(untouched.answer().text, "initial");

    CTextInputDlg emptied(Request("initial"));
    emptied.show();
    emptied.edit()->clear();
    QTest::mouseClick(emptied.firstButton(), Qt::LeftButton);
    EXPECT_EQ(emptied.answer().button, 1);
    EXPECT_EQ(emptied.answer().text, "");
}

TEST(TextPrompt, TheFieldTakesAtMostThirtyCharacters) {
    const std::string forty(40, 'x');
    CTextInputDlg longInitial(Request(forty));
    EXPECT_EQ(longInitial.edit()->text().size(), 30);

    CTextInputDlg typed(Request(""));
    typed.show();
    typed.edit()->setFocus();
    QTest::keyClicks(typed.edit(), QString::fromStdString(forty));
    QTest::keyClick(typed.edit(), Qt::Key_Return);
    EXPECT_EQ(typed.answer().text, std::string(30, 'x'));
}

TEST(TextPrompt, RunsModallyThroughTheDialogsPort) {
    QtDialogs dialogs;
    DuringNextModal([](QWidget* modal) {
        auto* prompt = qobject_cast<CTextInputDlg*>(modal);
        ASSERT_NE(prompt, nullptr);
        // The field has the focus with its text selected: typing replaces it.
        QTest::keyClicks(prompt->edit(), "42");
        QTest::keyClick(prompt->edit(), Qt::Key_Return);
    });
    const TextInputAnswer answer = dialogs.RunTextInput(Request("old"));
    EXPECT_EQ(answer.button, 1);
    EXPECT_EQ(answer.text, "42");
}

TEST(AboutBox, ShowsTheVersionLineFromTheCore) {
    const std::string line = "Orvane's SIP Dialer version  1.0.2.5 ";
    QtDialogs dialogs;
    QString shown;
    QString caption;
    DuringNextModal([&](QWidget* modal) {
        auto* about = qobject_cast<CAboutDlg*>(modal);
        ASSERT_NE(about, nullptr);
        shown = about->versionLabel()->text();
        caption = about->windowTitle();
        QTest::mouseClick(about->okButton(), Qt::LeftButton);
    });
    dialogs.ShowAbout(line);
    // The line is shown as it is, blanks included.
    EXPECT_EQ(shown, QString::fromStdString(line));
    EXPECT_EQ(caption, QStringLiteral("About Orvane's SIP Dialer"));
}

TEST(MessageBoxes, ALongTextShowsItsFirstLinesAndScrollsWhole) {
    // A console answer of 64 KB: the box stays smaller than a screen, the text is whole.
    std::string text;
    for (int i = 0; text.size() < 65536; ++i)
        text += "drwxr-xr-x 2 root root " + std::to_string(i) + " usr/share/x\n";
    QtDialogs dialogs;
    QString shown, detail;
    int height = 0;
    DuringNextModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        shown = box->text();
        detail = box->detailedText();
        height = box->height();
        box->button(QMessageBox::Ok)->click();
    });
    dialogs.MessageBox(text, "Linux Response", MsgButtons::Ok, MsgIcon::Information, true);
    EXPECT_EQ(detail, QString::fromStdString(text));
    EXPECT_EQ(shown.count(QLatin1Char('\n')), 20);
    EXPECT_TRUE(shown.startsWith(QStringLiteral("drwxr-xr-x 2 root root 0 usr/share/x\n")));
    EXPECT_TRUE(shown.endsWith(QStringLiteral("\n...")));
    EXPECT_LT(height, 700); // fits a 768-pixel screen

    // A short answer is shown as it is, with nothing to unfold.
    DuringNextModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        shown = box->text();
        detail = box->detailedText();
        box->button(QMessageBox::Ok)->click();
    });
    dialogs.MessageBox("one\ntwo\n", "Linux Response", MsgButtons::Ok, MsgIcon::Information, true);
    EXPECT_EQ(shown, QStringLiteral("one\ntwo\n"));
    EXPECT_TRUE(detail.isEmpty());
}

TEST(MessageBoxes, KeepTheirTextsAndAnswer) {
    QtDialogs dialogs;
    QString text, caption;
    DuringNextModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        text = box->text();
        caption = box->windowTitle();
        box->button(QMessageBox::No)->click();
    });
    const MsgAnswer answer =
        dialogs.MessageBox("Take <over>?", "Busy", MsgButtons::YesNo, MsgIcon::Warning, false);
    EXPECT_EQ(answer, MsgAnswer::No);
    EXPECT_EQ(text, QStringLiteral("Take <over>?"));
    EXPECT_EQ(caption, QStringLiteral("Busy"));

    // Once the program is closing from outside, no box holds it open.
    dialogs.setQuitting(true);
    EXPECT_EQ(dialogs.MessageBox("x", "y", MsgButtons::YesNo, MsgIcon::None, true), MsgAnswer::No);
}
