// The emulated phones a test or the tour talks to, in one orvane-phonesim child process
// (PhoneSimProcess): their options, their control input, and their datagram log read back
// as it grows.
#pragma once

#include "PhoneSimProcess.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace orvane::demo {

// One emulated phone, as its --phone option gives it.
struct SimPhone {
    QString address;
    QString name;
    bool busy = false;
    QString password;
    int contacts = 60;
    int calls = 120;
    bool oldModel = false;
    int answerMs = -1; // an outgoing call is answered after this many ms; -1: the phone's own
    QString type;      // empty: the phone's own
    QString id;        // empty: made from the address

    // The value of its --phone option ("," in a name is escaped).
    QString option() const;
};

// One line of the datagram log: "TIME PHONE KIND [PEER] TEXT".
struct LogEntry {
    QString time;
    QString phone; // its address, or "*" for the process
    QString kind;  // IN, BCAST, OUT, NOTE, LISTEN, READY, CONTROL, STATUS, STOP, ...
    QString peer;  // IN, BCAST and OUT: the other side's "IP:PORT"
    QString text;  // the datagram (escaped as the log writes it), or the rest of the line

    // The datagram's bytes, the log's escapes undone.
    QByteArray bytes() const;
    // The datagram came from the dialer (IN or BCAST) or went to it (OUT).
    bool fromDialer() const {
        return kind == QLatin1String("IN") || kind == QLatin1String("BCAST");
    }
    bool toDialer() const { return kind == QLatin1String("OUT"); }
};

class PhoneSim {
  public:
    PhoneSim();
    ~PhoneSim();
    PhoneSim(const PhoneSim&) = delete;
    PhoneSim& operator=(const PhoneSim&) = delete;

    // The phonesim program: $ORVANE_PHONESIM, else the one beside this program's build.
    static QString program();

    // Starts one process playing `phones` and waits until all its sockets are bound.
    // `logPath` empty: a log in a temporary folder. False (see error()) when it fails.
    bool start(const std::vector<SimPhone>& phones, const QString& logPath = {},
               const QStringList& extraArgs = {}, int timeoutMs = 5000);
    // Ends the process: "quit", then a kill if it does not go in time. True when it ended.
    bool stop(int timeoutMs = 3000);
    bool running();
    QString error() const { return m_error; }
    QString logPath() const { return m_logPath; }

    // One control line (see orvane-phonesim --help), written to its standard input.
    void control(const QString& line);

    // The log as far as it is written, read anew from the file's growth.
    const std::vector<LogEntry>& entries();
    // Datagram texts between the dialer and `phone` (every phone when empty).
    QStringList received(const QString& phone = {});
    QStringList sent(const QString& phone = {});
    // Entries of a kind whose text starts with `prefix` (any phone when `phone` is empty).
    int count(const QString& kind, const QString& prefix, const QString& phone = {});
    // Waits, with the event loop running, until count(kind, prefix, phone) >= times.
    bool waitFor(const QString& kind, const QString& prefix, int times = 1, int timeoutMs = 5000,
                 const QString& phone = {});
    // Waits until the log holds a line containing `needle` (e.g. a NOTE).
    bool waitForText(const QString& needle, int timeoutMs = 5000);
    // The whole log as text (for failure messages).
    QString logText();

  private:
    test::PhoneSimProcess m_process;
    QString m_logPath;
    QString m_error;
    qint64 m_readOffset = 0;
    QByteArray m_partial;
    std::vector<LogEntry> m_entries;
};

// Parses one log line; an entry with an empty kind for a line that is not one.
LogEntry ParseLogLine(const QString& line);

} // namespace orvane::demo
