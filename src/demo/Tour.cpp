#include "Tour.h"

#include "FaceIds.h"
#include "LiveDialer.h"
#include "ModalWatch.h"
#include "Trace.h"
#include "Wait.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QPainter>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace orvane::demo {

namespace {

const QString kFrontDesk = QStringLiteral("10.77.0.11");
const QString kLobby = QStringLiteral("10.77.0.12");
const QString kSales = QStringLiteral("10.77.0.13");
const QString kDialled = QStringLiteral("0305550123");
const QString kNewName = QStringLiteral("Sales Office 2F");

void say(const QString& text) {
    std::fputs(qPrintable(text + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

struct Step {
    const char* picture; // NN-name.png
    const char* shows;   // what the picture shows
    // Does the step; empty when the window and the phones show what they should, else why
    // not.
    std::function<QString()> run;
};

} // namespace

QPixmap ScreenPicture(const QWidget& window) {
    // The program's visible top-level windows, the main one first and then the others in
    // the order they were made (an open box lies over the window that opened it).
    std::vector<QWidget*> shown;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->isWindow() && w != &window && w->windowType() != Qt::ToolTip)
            shown.push_back(w);
    }
    shown.insert(shown.begin(), const_cast<QWidget*>(&window));
    QRect area;
    for (const QWidget* w : shown)
        area |= w->geometry();
    QPixmap shot(area.size());
    shot.fill(QColor(0x5a, 0x6e, 0x7f)); // the desktop around them
    QPainter painter(&shot);
    for (QWidget* w : shown)
        painter.drawPixmap(w->geometry().topLeft() - area.topLeft(), w->grab());
    return shot;
}

std::vector<SimPhone> DemoPhones() {
    SimPhone frontDesk;
    frontDesk.address = kFrontDesk;
    frontDesk.name = QStringLiteral("Front Desk");
    frontDesk.contacts = 48;
    frontDesk.calls = 90;

    SimPhone lobby;
    lobby.address = kLobby;
    lobby.name = QStringLiteral("Lobby");
    lobby.busy = true;
    lobby.contacts = 25;
    lobby.calls = 40;

    SimPhone sales;
    sales.address = kSales;
    sales.name = QStringLiteral("Sales Office");
    sales.password = DemoPassword();
    sales.contacts = 60;
    sales.calls = 120;
    sales.answerMs = 1500;
    return {frontDesk, lobby, sales};
}

QString DemoPassword() {
    return QStringLiteral("4711");
}

int RunTour(const QString& outDir) {
    QDir dir(outDir);
    if (!dir.mkpath(QStringLiteral("."))) {
        say(QStringLiteral("tour: cannot make the folder %1").arg(outDir));
        return 1;
    }
    for (const QString& old : dir.entryList({QStringLiteral("[0-9][0-9]-*.png")}, QDir::Files))
        dir.remove(old);

    PhoneSim phones;
    if (!phones.start(DemoPhones(), dir.filePath(QStringLiteral("phones.log")))) {
        say(QStringLiteral("tour: %1").arg(phones.error()));
        return 1;
    }
    QTemporaryDir runtime;
    LiveDialer::Options options;
    options.runtimeDir = runtime.path();
    options.privateContacts = runtime.filePath(QStringLiteral("PrivateContacts.txt"));
    LiveDialer dialer(options);
    ModalWatch boxes;
    QPixmap boxShot;
    boxes.onSeen(
        [&](QWidget*, const ModalWatch::Seen&) { boxShot = ScreenPicture(dialer.window()); });
    const QString mac = QString::fromStdString(dialer.dialog().localMac());

    // Waits for the window to show `text` on control `id`.
    auto shows = [&](int id, const QString& text, int ms = 5000) {
        return waitUntil([&] { return dialer.visible(id) && dialer.text(id) == text; }, ms);
    };
    auto why = [&](const QString& what) {
        return what + QStringLiteral(" (display: %1)").arg(dialer.displaySummary());
    };

    const std::vector<Step> steps = {
        {"01-searching.png", "the search: \"Searching ...\" while the broadcast is out",
         [&]() -> QString {
             dialer.start();
             if (!shows(Ctl::DisplayLine0, QStringLiteral("Searching ..."), 3000))
                 return why(QStringLiteral("no \"Searching ...\""));
             if (!phones.waitFor(QStringLiteral("BCAST"), QStringLiteral("ORVN: ") + mac, 3))
                 return QStringLiteral("the three phones did not hear the broadcast");
             return {};
         }},
        {"02-device-list.png",
         "the device list, names first: Front Desk and Sales Office free, Lobby busy",
         [&]() -> QString {
             if (!waitUntil([&] { return dialer.visible(Ctl::DeviceList); }, 6000))
                 return why(QStringLiteral("no device list"));
             QStringList names = dialer.column(Ctl::DeviceList, 4);
             names.sort();
             if (names != QStringList{QStringLiteral("Front Desk"), QStringLiteral("Lobby"),
                                      QStringLiteral("Sales Office")})
                 return QStringLiteral("the list shows %1").arg(names.join(QLatin1String(", ")));
             for (int row = 0; row < 3; ++row)
                 if (!dialer.rowHasImage(Ctl::DeviceList, row))
                     return QStringLiteral("row %1 shows no free or busy mark").arg(row + 1);
             // The names to the front, where the list shows them without scrolling.
             const QStringList before = dialer.column(Ctl::DeviceList, 4);
             if (!dialer.menu(Menu::NameFirst) || dialer.column(Ctl::DeviceList, 1) != before)
                 return QStringLiteral("\"Name\" first did not move the names");
             return {};
         }},
        {"03-busy-question.png", "Lobby picked: it is busy, the dialer asks before taking it",
         [&]() -> QString {
             const int row = dialer.rowOf(Ctl::DeviceList, 1, QStringLiteral("Lobby"));
             boxes.answerNext(ModalWatch::no());
             if (!dialer.clickRow(Ctl::DeviceList, row)) return QStringLiteral("cannot click");
             if (!waitUntil([&] { return boxes.count(ModalWatch::Kind::MessageBox) == 1; }, 3000))
                 return QStringLiteral("no question");
             const ModalWatch::Seen& seen = boxes.seen().back();
             if (seen.caption != QLatin1String("Device is busy"))
                 return QStringLiteral("a box \"%1\"").arg(seen.caption);
             pause(300);
             if (phones.count(QStringLiteral("IN"), QStringLiteral("LOGIN:"), kLobby) != 0)
                 return QStringLiteral("the dialer logged in after \"No\"");
             return {};
         }},
        {"04-password.png", "Sales Office picked: it wants a password, typed masked",
         [&]() -> QString {
             const int row = dialer.rowOf(Ctl::DeviceList, 1, QStringLiteral("Sales Office"));
             if (!dialer.clickRow(Ctl::DeviceList, row)) return QStringLiteral("cannot click");
             if (!shows(Ctl::DisplayLine1, QStringLiteral("Enter Password:")))
                 return why(QStringLiteral("no password prompt"));
             if (!dialer.visible(Ctl::EntryEdit) || !dialer.masked(Ctl::EntryEdit))
                 return QStringLiteral("the entry is not a masked field");
             if (dialer.text(Ctl::F2) != QLatin1String("Apply") || !dialer.visible(Ctl::F2))
                 return QStringLiteral("no \"Apply\" key");
             if (!dialer.type(Ctl::EntryEdit, DemoPassword()))
                 return QStringLiteral("cannot type the password");
             return {};
         }},
        {"05-logged-in.png", "logged in: the phone's idle screen mirrored (name, date, keys)",
         [&]() -> QString {
             dialer.click(Ctl::F2);
             if (!phones.waitFor(QStringLiteral("IN"),
                                 QStringLiteral("LOGIN: %1 %2").arg(mac, DemoPassword()), 1, 3000,
                                 kSales))
                 return QStringLiteral("the phone got no login with the password");
             if (!shows(Ctl::DisplayLine0, QStringLiteral("Sales Office")))
                 return why(QStringLiteral("no idle screen"));
             if (!shows(Ctl::F3, QStringLiteral("Menu")) || !shows(Ctl::F2, QStringLiteral("DND")))
                 return QStringLiteral("the soft keys show no DND and Menu");
             return {};
         }},
        {"06-local-dialling.png", "SEND takes the line: digits typed on the keypad stay local",
         [&]() -> QString {
             dialer.click(Ctl::Send);
             if (!phones.waitFor(QStringLiteral("OUT"), QStringLiteral("HOOK: ON"), 1, 3000))
                 return QStringLiteral("the phone did not go off hook");
             pause(200);
             const int before = phones.count(QStringLiteral("IN"), QStringLiteral("KEY:"));
             for (QChar digit : kDialled)
                 dialer.click(digit == QLatin1Char('0') ? Ctl::Key0
                                                        : Ctl::Key1 + digit.digitValue() - 1);
             if (!shows(Ctl::EntryEdit, kDialled, 1000))
                 return QStringLiteral("the entry shows \"%1\"").arg(dialer.text(Ctl::EntryEdit));
             pause(200);
             if (phones.count(QStringLiteral("IN"), QStringLiteral("KEY:")) != before)
                 return QStringLiteral("typed digits reached the phone");
             return {};
         }},
        {"07-calling.png", "SEND dials the number: the phone shows \"Calling\"",
         [&]() -> QString {
             dialer.click(Ctl::Send);
             if (!phones.waitFor(QStringLiteral("IN"), QStringLiteral("DIAL: ") + kDialled))
                 return QStringLiteral("the phone got no DIAL:");
             if (!shows(Ctl::DisplayLine1, QStringLiteral("Calling")))
                 return why(QStringLiteral("no \"Calling\""));
             return {};
         }},
        {"08-connected.png", "the call is answered: \"Connected\" with its timer, MUTE shown",
         [&]() -> QString {
             if (!shows(Ctl::DisplayLine1, QStringLiteral("Connected"), 5000))
                 return why(QStringLiteral("not connected"));
             if (!waitUntil([&] { return dialer.visible(Ctl::Mute); }, 2000))
                 return QStringLiteral("no MUTE key");
             pause(1200);
             return {};
         }},
        {"09-hung-up.png", "END hangs up: \"Call ended\" and the call's length",
         [&]() -> QString {
             dialer.click(Ctl::End);
             if (!phones.waitFor(QStringLiteral("OUT"), QStringLiteral("HOOK: OFF")))
                 return QStringLiteral("the phone did not hang up");
             if (!waitUntil(
                     [&] {
                         return dialer.text(Ctl::DisplayLine1)
                             .startsWith(QLatin1String("Call ended"));
                     },
                     3000))
                 return why(QStringLiteral("no \"Call ended\""));
             return {};
         }},
        {"10-phonebook.png", "the phonebook: 60 contacts, the third one selected",
         [&]() -> QString {
             dialer.click(Ctl::ContactsTab);
             if (!waitUntil([&] { return dialer.rows(Ctl::PhonebookList) == 60; }, 5000))
                 return QStringLiteral("%1 contacts").arg(dialer.rows(Ctl::PhonebookList));
             dialer.clickRow(Ctl::PhonebookList, 2);
             if (!phones.waitFor(QStringLiteral("IN"), QStringLiteral("SELECT: 2")))
                 return QStringLiteral("no SELECT: 2");
             if (!waitUntil([&] { return dialer.visible(Ctl::EditKey); }, 3000))
                 return QStringLiteral("no Edit key for the selected contact");
             if (dialer.text(Ctl::EntryEdit) != dialer.cell(Ctl::PhonebookList, 2, 2))
                 return QStringLiteral("the entry does not hold the contact's number");
             return {};
         }},
        {"11-call-log.png", "the call log: the new call on top of 120 older ones",
         [&]() -> QString {
             dialer.click(Ctl::CallLogsTab);
             if (!waitUntil([&] { return dialer.rows(Ctl::CallLogList) == 121; }, 5000))
                 return QStringLiteral("%1 calls").arg(dialer.rows(Ctl::CallLogList));
             if (dialer.cell(Ctl::CallLogList, 0, 2) != kDialled)
                 return QStringLiteral("the first call is %1")
                     .arg(dialer.cell(Ctl::CallLogList, 0, 2));
             return {};
         }},
        {"12-menu.png", "the phone's menu",
         [&]() -> QString {
             dialer.click(Ctl::MenuTab);
             if (!waitUntil([&] { return dialer.rows(Ctl::MenuList) == 7; }, 3000))
                 return QStringLiteral("%1 menu items").arg(dialer.rows(Ctl::MenuList));
             if (dialer.cell(Ctl::MenuList, 0, 1) != QLatin1String("Phone name: Sales Office"))
                 return QStringLiteral("first item %1").arg(dialer.cell(Ctl::MenuList, 0, 1));
             return {};
         }},
        {"13-volume.png", "the volume: Vol + on the dial pad, then the slider dragged to 40",
         [&]() -> QString {
             dialer.click(Ctl::DialpadTab);
             if (!waitUntil([&] { return dialer.visible(Ctl::VolPlus); }, 3000))
                 return why(QStringLiteral("no Vol + on the dial pad screen"));
             dialer.click(Ctl::VolPlus);
             if (!waitUntil([&] { return dialer.sliderValue(Ctl::VolumeSlider) == 70; }, 3000) ||
                 !dialer.visible(Ctl::VolumeSlider))
                 return QStringLiteral("the slider is at %1")
                     .arg(dialer.sliderValue(Ctl::VolumeSlider));
             if (dialer.text(Ctl::DisplayLine1) != QLatin1String("Ringer volume"))
                 return why(QStringLiteral("no \"Ringer volume\""));
             dialer.dragSlider(Ctl::VolumeSlider, 40);
             if (!phones.waitFor(QStringLiteral("IN"), QStringLiteral("VOL: 40")))
                 return QStringLiteral("the phone got no VOL: 40");
             if (!phones.waitFor(QStringLiteral("OUT"), QStringLiteral("VOL: 1 40 ")))
                 return QStringLiteral("the phone did not report 40");
             pause(300);
             return {};
         }},
        {"14-console.png", "the console: \"uname -a\" and the phone's answer box",
         [&]() -> QString {
             if (!dialer.shortcut(QKeySequence(Qt::ALT | Qt::Key_L)))
                 return QStringLiteral("the window does not get the keyboard");
             if (!waitUntil([&] { return dialer.visible(Ctl::EntryEdit); }, 2000))
                 return QStringLiteral("Alt+L shows no entry");
             dialer.type(Ctl::EntryEdit, QStringLiteral("uname -a"));
             boxShot = {};
             boxes.answerNext([&](QWidget* box) {
                 pause(200);
                 boxShot = ScreenPicture(dialer.window());
                 ModalWatch::ok()(box);
             });
             dialer.click(Ctl::Send);
             if (!waitUntil([&] { return boxes.count(ModalWatch::Kind::MessageBox) == 2; }, 5000))
                 return QStringLiteral("no answer box");
             const ModalWatch::Seen& seen = boxes.seen().back();
             if (seen.caption != QLatin1String("Linux Response") ||
                 !seen.text.startsWith(QLatin1String("Linux Sales Office ")))
                 return QStringLiteral("box \"%1\": %2").arg(seen.caption, seen.text);
             waitUntil([&] { return !boxShot.isNull(); }, 2000);
             return {};
         }},
        {"15-text-prompt.png", "the phone's text prompt: a new name for the phone",
         [&]() -> QString {
             dialer.click(Ctl::MenuTab);
             waitUntil([&] { return dialer.visible(Ctl::MenuList); }, 3000);
             dialer.clickRow(Ctl::MenuList, 0);
             if (!phones.waitFor(QStringLiteral("IN"), QStringLiteral("SELECT: 0")))
                 return QStringLiteral("no SELECT: 0");
             boxShot = {};
             boxes.answerNext([&](QWidget* box) {
                 pause(200);
                 boxShot = ScreenPicture(dialer.window());
                 ModalWatch::prompt(1, kNewName)(box);
             });
             if (!shows(Ctl::F1, QStringLiteral("Select"))) return QStringLiteral("no Select");
             dialer.click(Ctl::F1);
             if (!waitUntil([&] { return boxes.count(ModalWatch::Kind::TextPrompt) == 1; }, 5000))
                 return QStringLiteral("no prompt");
             const ModalWatch::Seen& seen = boxes.seen().back();
             if (seen.text != QLatin1String("Phone name") ||
                 seen.initial != QLatin1String("Sales Office"))
                 return QStringLiteral("prompt \"%1\" with \"%2\"").arg(seen.text, seen.initial);
             if (!phones.waitFor(QStringLiteral("IN"), QStringLiteral("INPUT: 1 ") + kNewName))
                 return QStringLiteral("the phone got no answer");
             return {};
         }},
        {"16-renamed.png", "the new name on the idle screen, \"Name saved\"",
         [&]() -> QString {
             if (!shows(Ctl::DisplayLine0, kNewName) ||
                 !shows(Ctl::DisplayLine1, QStringLiteral("Name saved")))
                 return why(QStringLiteral("the name did not change"));
             return {};
         }},
    };

    QElapsedTimer clock;
    clock.start();
    say(QStringLiteral("Tour of the dialer with three emulated phones; pictures in %1")
            .arg(dir.absolutePath()));
    bool passed = true;
    for (const Step& step : steps) {
        const QString failure = step.run();
        pause(150); // let the window paint what came last
        const QString file = dir.filePath(QString::fromLatin1(step.picture));
        const QPixmap shot = boxShot.isNull() ? ScreenPicture(dialer.window()) : boxShot;
        boxShot = {};
        const bool saved = shot.save(file);
        say(QStringLiteral("  %1 %2  %3%4")
                .arg(failure.isEmpty() ? QStringLiteral("ok  ") : QStringLiteral("FAIL"),
                     QString::fromLatin1(step.picture).leftJustified(24),
                     QString::fromLatin1(step.shows),
                     failure.isEmpty() ? QString() : QStringLiteral("\n        ") + failure));
        if (!saved) say(QStringLiteral("        cannot write %1").arg(file));
        if (!failure.isEmpty() || !saved) {
            passed = false;
            break;
        }
    }
    if (passed) {
        // Closing the window releases the phone.
        dialer.close();
        if (!phones.waitFor(QStringLiteral("IN"), QStringLiteral("STOP:"), 1, 3000, kSales)) {
            say(QStringLiteral("  FAIL closing the window sent no STOP:"));
            passed = false;
        } else {
            say(QStringLiteral("  ok   closing the window released the phone (STOP:)"));
        }
    }
    pause(200);
    phones.stop();
    say(QStringLiteral("\nDatagram trace (%1):").arg(phones.logPath()));
    std::fputs(qPrintable(FormatTrace(CountTrace(phones.entries()))), stdout);
    say(QStringLiteral("\nTour %1 in %2 s.")
            .arg(passed ? QStringLiteral("passed") : QStringLiteral("FAILED"))
            .arg(static_cast<double>(clock.elapsed()) / 1000.0, 0, 'f', 1));
    return passed ? 0 : 1;
}

} // namespace orvane::demo
