// One dialer per login session. The first start claims the session (a well-known name on
// the session bus, or where no bus runs a lock and a Unix socket in XDG_RUNTIME_DIR); a
// later start hands its link (or only "come to the front") to that one and ends.
#pragma once

#include <QObject>
#include <QString>

class QSocketNotifier;

class SingleInstance : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "example.orvane.sipdialer.Dialer")
  public:
    static constexpr const char* kService = "example.orvane.sipdialer";
    static constexpr const char* kPath = "/example/orvane/sipdialer";
    static constexpr const char* kInterface = "example.orvane.sipdialer.Dialer";

    explicit SingleInstance(QObject* parent = nullptr);
    ~SingleInstance() override;

    enum class Claim {
        First,      // this start runs the dialer and now takes requests
        HandedOver, // another dialer of this session took the request: end with status 0
        Alone,      // no claim could be made (no bus, no runtime folder): run unclaimed
    };
    // url: the link this start was given, empty for none. `why` tells, for Alone, what
    // kept the claim from being made.
    Claim claim(const QString& url, QString* why = nullptr);

  public Q_SLOTS:
    // What a later start asks for, over the bus. A link that is no dial link is dropped.
    Q_SCRIPTABLE void Dial(const QString& url);
    Q_SCRIPTABLE void Activate();

  Q_SIGNALS:
    void dialRequested(const QString& number);
    void activateRequested();

  private:
    Claim claimOnBus(const QString& url, QString* why);
    Claim claimOnSocket(const QString& url, QString* why);
    void acceptConnection();
    void readRequest(int fd);
    void takeRequest(const QByteArray& line);

    int m_lockFd = -1;
    int m_listenFd = -1;
    QString m_socketPath;
    QSocketNotifier* m_listener = nullptr;
};
