// The dialer's command line: what it accepts, what it refuses and with which reason, and
// that --help and --version win over the options Qt takes out later.
#include "CommandLine.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

using Action = CommandLine::Action;

QStringList Args(std::initializer_list<const char*> args) {
    QStringList out;
    for (const char* a : args)
        out << QString::fromUtf8(a);
    return out;
}

TEST(CommandLine, AcceptedOptionsReachTheDialer) {
    struct Case {
        std::initializer_list<const char*> args;
        const char* connect;
        const char* screenshot;
        int delay;
        int quitAfter;
        const char* contacts;
    };
    const Case cases[] = {
        {{}, "", "", 4500, -1, "PrivateContacts.txt"},
        {{"--connect", "127.0.0.1"}, "127.0.0.1", "", 4500, -1, "PrivateContacts.txt"},
        {{"--connect=phone.example.net"}, "phone.example.net", "", 4500, -1, "PrivateContacts.txt"},
        {{"--screenshot", "a.png", "--screenshot-delay", "0", "--quit-after", "8000"},
         "",
         "a.png",
         0,
         8000,
         "PrivateContacts.txt"},
        {{"--private-contacts=/tmp/c.txt", "--quit-after=1"}, "", "", 4500, 1, "/tmp/c.txt"},
    };
    for (const Case& c : cases) {
        const CommandLine line = parseCommandLine(Args(c.args));
        SCOPED_TRACE(Args(c.args).join(QLatin1Char(' ')).toStdString());
        EXPECT_EQ(line.action, Action::Run);
        EXPECT_EQ(line.error.toStdString(), "");
        EXPECT_EQ(line.options.connectAddress.toStdString(), c.connect);
        EXPECT_EQ(line.options.screenshot.toStdString(), c.screenshot);
        EXPECT_EQ(line.options.screenshotDelayMs, c.delay);
        EXPECT_EQ(line.options.quitAfterMs, c.quitAfter);
        EXPECT_EQ(line.options.privateContacts.toStdString(), c.contacts);
    }
}

TEST(CommandLine, WrongArgumentsAreRefusedWithTheFirstReason) {
    const std::string longAddress(60, 'a');
    struct Case {
        QStringList args;
        const char* error;
    };
    const Case cases[] = {
        {Args({"--frobnicate"}), "unknown option '--frobnicate'"},
        {Args({"--frobnicate=1"}), "unknown option '--frobnicate'"},
        {Args({"-x"}), "unknown option '-x'"},
        {Args({"phone"}), "unexpected argument 'phone'"},
        {Args({"--", "phone"}), "unexpected argument 'phone'"},
        {Args({"--connect"}), "--connect needs a value"},
        {Args({"--connect", ""}), "--connect needs the phone's address"},
        {Args({"--connect", "--quit-after"}),
         "--connect needs the phone's address, not '--quit-after'"},
        {Args({"--connect", "10.0.0.1 10.0.0.2"}),
         "--connect: '10.0.0.1 10.0.0.2' is not an address"},
        {QStringList{QStringLiteral("--connect"), QString::fromStdString(longAddress)},
         "--connect: the address is longer than 59 characters"},
        {Args({"--quit-after", "soon"}), "--quit-after needs a number of milliseconds, not 'soon'"},
        {Args({"--quit-after", "-5"}), "--quit-after needs a number of milliseconds, not '-5'"},
        {Args({"--screenshot-delay", "99999999999"}),
         "--screenshot-delay needs a number of milliseconds, not '99999999999'"},
        {Args({"--screenshot="}), "--screenshot needs a file name"},
        {Args({"one", "--two"}), "unexpected argument 'one'"}, // the first one counts
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(QLatin1Char(' ')).toStdString());
        const CommandLine line = parseCommandLine(c.args);
        EXPECT_EQ(line.action, Action::Error);
        EXPECT_EQ(line.error.toStdString(), c.error);
        EXPECT_FALSE(line.error.contains(QLatin1Char('\n')));
    }
}

TEST(CommandLine, OneLinkIsTakenWithItsNumberBesideTheOptions) {
    struct Case {
        QStringList args;
        const char* link;
        const char* number;
        const char* error;
    };
    const Case cases[] = {
        {Args({"tel:+49 30 1234-56"}), "tel:+49 30 1234-56", "+4930123456", ""},
        {Args({"--connect", "10.0.0.1", "callto:555"}), "callto:555", "555", ""},
        {Args({"SIP:777@pbx", "--quit-after=5"}), "SIP:777@pbx", "777", ""},
        {Args({"tel:1", "tel:2"}), "", "", "only one link can be dialled at a time"},
        {Args({"tel:12a"}), "", "",
         "cannot dial 'tel:12a': the number holds 'a', which is not a digit, '+', '*' or '#'"},
        // What a message quotes of a link is printable, and one line.
        {QStringList{QStringLiteral("tel:1\n2\x1b")}, "", "",
         "cannot dial 'tel:1?2?': the number holds 0x0A, which is not a digit, '+', '*' or '#'"},
        {Args({"tel:"}), "", "", "cannot dial 'tel:': the link holds no number"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(QLatin1Char(' ')).toStdString());
        const CommandLine line = parseCommandLine(c.args);
        EXPECT_EQ(line.error.toStdString(), c.error);
        EXPECT_EQ(line.action, *c.error != 0 ? Action::Error : Action::Run);
        if (*c.error == 0) {
            EXPECT_EQ(line.options.dialLink.toStdString(), c.link);
            EXPECT_EQ(line.options.dialNumber.toStdString(), c.number);
        }
    }
}

TEST(CommandLine, HelpAndVersionWinOverAnythingElse) {
    struct Case {
        std::initializer_list<const char*> args;
        Action action;
    };
    const Case cases[] = {
        {{"--help"}, Action::Help},
        {{"-h"}, Action::Help},
        {{"--version"}, Action::Version},
        {{"-platform", "offscreen", "--version"}, Action::Version}, // before Qt took its own
        {{"--version", "--help"}, Action::Help},
        {{"--frobnicate", "--help"}, Action::Help},
        {{"--quit-after", "x", "--version"}, Action::Version},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Args(c.args).join(QLatin1Char(' ')).toStdString());
        EXPECT_EQ(parseCommandLine(Args(c.args)).action, c.action);
    }
}

TEST(CommandLine, HelpNamesEveryOptionAndVersionTheProgramsVersion) {
    const QString help = commandLineHelp();
    for (const char* option : {"--connect ADDRESS", "--private-contacts PATH", "--screenshot FILE",
                               "--screenshot-delay MS", "--quit-after MS", "--help", "--version"})
        EXPECT_TRUE(help.contains(QLatin1String(option))) << option;
    for (const QString& line : help.split(QLatin1Char('\n')))
        EXPECT_LE(line.size(), 80) << line.toStdString();

    const QString version = commandLineVersion();
    EXPECT_TRUE(version.startsWith(QLatin1String("orvane-dialer (Orvane's SIP Dialer) ")));
    EXPECT_TRUE(
        version.contains(QRegularExpression(QStringLiteral("\\) \\d+\\.\\d+\\.\\d+\\.\\d+"))));
    EXPECT_TRUE(version.endsWith(QLatin1Char('\n')));
}

} // namespace
