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
        const CommandLine line = ParseCommandLine(Args(c.args));
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
        const CommandLine line = ParseCommandLine(c.args);
        EXPECT_EQ(line.action, Action::Error);
        EXPECT_EQ(line.error.toStdString(), c.error);
        EXPECT_FALSE(line.error.contains(QLatin1Char('\n')));
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
        EXPECT_EQ(ParseCommandLine(Args(c.args)).action, c.action);
    }
}

TEST(CommandLine, HelpNamesEveryOptionAndVersionTheProgramsVersion) {
    const QString help = CommandLineHelp();
    for (const char* option : {"--connect ADDRESS", "--private-contacts PATH", "--screenshot FILE",
                               "--screenshot-delay MS", "--quit-after MS", "--help", "--version"})
        EXPECT_TRUE(help.contains(QLatin1String(option))) << option;
    for (const QString& line : help.split(QLatin1Char('\n')))
        EXPECT_LE(line.size(), 80) << line.toStdString();

    const QString version = CommandLineVersion();
    EXPECT_TRUE(version.startsWith(QLatin1String("orvane-dialer (Orvane's SIP Dialer) ")));
    EXPECT_TRUE(
        version.contains(QRegularExpression(QStringLiteral("\\) \\d+\\.\\d+\\.\\d+\\.\\d+"))));
    EXPECT_TRUE(version.endsWith(QLatin1Char('\n')));
}

} // namespace
