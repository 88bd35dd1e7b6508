#pragma once

#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

class QNetworkAccessManager;

// Runs the development remote-management service (tools/zep-remoteservice) for one
// test on a free loopback port with the given configuration; stopped by the destructor.
class RemoteServiceProcess : public QObject
{
    Q_OBJECT
public:
    explicit RemoteServiceProcess(QObject *parent = nullptr);
    ~RemoteServiceProcess() override;

    // Writes the configuration, starts the service and waits for its "listening on"
    // line; false (with the log in output()) when it did not come up.
    bool start(const QJsonObject &config);
    void stop();

    quint16 port() const { return mPort; }
    QString uploadFolder() const;
    QString output() const { return QString::fromUtf8(mOutput); }
    // GET /admin/state: the service's books per terminal id (empty on failure).
    QJsonObject terminalState(int tid);

private:
    QTemporaryDir mDir;
    QProcess mProcess;
    QByteArray mOutput;
    quint16 mPort = 0;
    QNetworkAccessManager *mNetwork;
};
