// The dialer's command line: what a user gives it (a link to dial, --connect, --help,
// --version) and the options of demonstrations and tests.
#pragma once

#include <QString>
#include <QStringList>

struct DialerOptions {
    QString connectAddress; // asked instead of searching the network at start
    QString screenshot;
    int screenshotDelayMs = 4500;
    int quitAfterMs = -1;
    QString privateContacts = QStringLiteral("PrivateContacts.txt");
    QString dialLink;   // a tel:, callto: or sip: link, as given
    QString dialNumber; // its number, normalised
};

struct CommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    DialerOptions options;
    QString error; // one line without the program's name, for Action::Error
};

// Reads the arguments after the program's name. --help and --version win over a wrong
// argument anywhere, so they also work before Qt has taken its own options out; otherwise
// the first wrong argument is the error.
CommandLine parseCommandLine(const QStringList& arguments);

QString commandLineHelp();
// "orvane-dialer (Orvane's SIP Dialer) 1.0.0.0", and the special-build text if there is one.
QString commandLineVersion();
