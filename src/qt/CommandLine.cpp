#include "CommandLine.h"

#include "CVersionInfo.h"
#include "DialLink.h"
#include "UdpSocket.h"

namespace {

// A millisecond count: digits only, at most a day.
bool readMilliseconds(const QString& text, int& out) {
    for (const QChar c : text)
        if (!c.isDigit()) return false;
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value > 24 * 60 * 60 * 1000) return false;
    out = value;
    return true;
}

// What Set IP takes: a host name or an address, no blanks, no more than the socket holds.
QString addressProblem(const QString& address) {
    if (address.isEmpty()) return QStringLiteral("--connect needs the phone's address");
    if (address.startsWith(QLatin1Char('-')))
        return QStringLiteral("--connect needs the phone's address, not '%1'").arg(address);
    if (address.toUtf8().size() > static_cast<int>(orvane::UdpSocket::kAddrCapacity))
        return QStringLiteral("--connect: the address is longer than %1 characters")
            .arg(orvane::UdpSocket::kAddrCapacity);
    for (const QChar c : address)
        if (c.isSpace() || !c.isPrint() || c.unicode() > 0x7E)
            return QStringLiteral("--connect: '%1' is not an address").arg(address);
    return QString();
}

// An argument as a message may quote it: printable ASCII, anything else as '?', and not
// longer than a line.
QString quoted(const QString& text) {
    QString shown;
    for (const QChar c : text.left(60))
        shown += c.unicode() >= 0x20 && c.unicode() < 0x7F ? c : QLatin1Char('?');
    if (text.size() > 60) shown += QStringLiteral("...");
    return shown;
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments) {
    CommandLine line;
    bool help = false;
    bool version = false;
    QString error;
    auto fail = [&](const QString& text) {
        if (error.isEmpty()) error = text;
    };

    for (int i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        if (arg == QLatin1String("--")) {
            if (i + 1 < arguments.size())
                fail(QStringLiteral("unexpected argument '%1'").arg(arguments.at(i + 1)));
            break;
        }
        if (orvane::IsDialLink(arg.toStdString())) {
            const orvane::DialLinkResult link = orvane::ParseDialLink(arg.toStdString());
            if (!line.options.dialLink.isEmpty())
                fail(QStringLiteral("only one link can be dialled at a time"));
            else if (!link.ok)
                fail(QStringLiteral("cannot dial '%1': %2")
                         .arg(quoted(arg), QString::fromStdString(link.error)));
            line.options.dialLink = arg;
            line.options.dialNumber = QString::fromStdString(link.number);
            continue;
        }
        if (!arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")) {
            fail(QStringLiteral("unexpected argument '%1'").arg(quoted(arg)));
            continue;
        }
        if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            help = true;
            continue;
        }
        if (arg == QLatin1String("--version")) {
            version = true;
            continue;
        }

        // Options with a value: "--name VALUE" or "--name=VALUE".
        QString name = arg;
        QString value;
        bool hasValue = false;
        const qsizetype eq = arg.indexOf(QLatin1Char('='));
        if (arg.startsWith(QLatin1String("--")) && eq > 2) {
            name = arg.left(eq);
            value = arg.mid(eq + 1);
            hasValue = true;
        }
        static const QStringList withValue = {
            QStringLiteral("--connect"), QStringLiteral("--screenshot"),
            QStringLiteral("--screenshot-delay"), QStringLiteral("--quit-after"),
            QStringLiteral("--private-contacts")};
        if (!withValue.contains(name)) {
            fail(QStringLiteral("unknown option '%1'").arg(hasValue ? name : arg));
            continue;
        }
        if (!hasValue) {
            if (i + 1 >= arguments.size()) {
                fail(QStringLiteral("%1 needs a value").arg(name));
                continue;
            }
            value = arguments.at(++i);
        }

        DialerOptions& o = line.options;
        if (name == QLatin1String("--connect")) {
            const QString problem = addressProblem(value);
            if (!problem.isEmpty())
                fail(problem);
            else
                o.connectAddress = value;
        } else if (name == QLatin1String("--screenshot")) {
            if (value.isEmpty())
                fail(QStringLiteral("--screenshot needs a file name"));
            else
                o.screenshot = value;
        } else if (name == QLatin1String("--private-contacts")) {
            if (value.isEmpty())
                fail(QStringLiteral("--private-contacts needs a file name"));
            else
                o.privateContacts = value;
        } else {
            int& target =
                name == QLatin1String("--quit-after") ? o.quitAfterMs : o.screenshotDelayMs;
            if (!readMilliseconds(value, target))
                fail(
                    QStringLiteral("%1 needs a number of milliseconds, not '%2'").arg(name, value));
        }
    }

    if (help)
        line.action = CommandLine::Action::Help;
    else if (version)
        line.action = CommandLine::Action::Version;
    else if (!error.isEmpty())
        line.action = CommandLine::Action::Error;
    line.error = error;
    return line;
}

QString commandLineHelp() {
    return QStringLiteral(
        "Usage: orvane-dialer [OPTION]... [URL]\n"
        "A desktop dialer drawn like a desk telephone: it finds the SIP desk phones\n"
        "on the local network (a broadcast to UDP port 8888), takes control of one\n"
        "and mirrors it.\n"
        "\n"
        "URL, a tel:, callto: or sip: link (e.g. tel:+49-30-1234-56), is dialled on\n"
        "the phone under control, or on the first phone taken. One dialer runs per\n"
        "login session: a second start hands its link to it and ends.\n"
        "\n"
        "  --connect ADDRESS        at start, ask only the phone at ADDRESS instead\n"
        "                           of searching the network, and connect to it\n"
        "                           (as Devices > Set IP does); e.g. --connect\n"
        "                           127.0.0.1 with orvane-phonesim on this computer\n"
        "  --private-contacts PATH  the private contact list (default\n"
        "                           PrivateContacts.txt in the working directory)\n"
        "  --screenshot FILE        save a picture of the window to FILE (PNG)\n"
        "  --screenshot-delay MS    take it MS milliseconds after the window shows\n"
        "                           (default 4500)\n"
        "  --quit-after MS          close the window after MS milliseconds\n"
        "  -h, --help               show this text and exit\n"
        "  --version                show the version and exit\n"
        "\n"
        "Qt's own options work too, e.g. -platform offscreen. See orvane-dialer(1).\n");
}

QString commandLineVersion() {
    const orvane::BuildVersion v = orvane::ProgramBuildVersion();
    QString text = QStringLiteral("orvane-dialer (Orvane's SIP Dialer) %1.%2.%3.%4")
                       .arg(v.major)
                       .arg(v.minor)
                       .arg(v.build)
                       .arg(v.revision);
    if (!v.specialBuild.empty()) text += QLatin1Char(' ') + QString::fromStdString(v.specialBuild);
    return text + QLatin1Char('\n');
}
