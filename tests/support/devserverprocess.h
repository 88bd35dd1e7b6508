#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>
#include <QUrlQuery>

class QNetworkAccessManager;

// Runs the development attendance server (tools/zep-devserver) for one test: on a free
// loopback port, with its data in a temporary folder and the given seed; stopped by the
// destructor. The admin helpers wait at most a few seconds for their answer.
class DevServerProcess : public QObject
{
    Q_OBJECT
public:
    explicit DevServerProcess(QObject *parent = nullptr);
    ~DevServerProcess() override;

    static QString program(); // ZEP_BINARY_DIR "/tools/zep-devserver"
    static QString defaultSeed(); // tools/devserver-seed.json of the source tree

    // Starts the server and waits for its "listening on" line; false (with the output
    // in output()) when it did not come up.
    bool start(const QString &seedFile = defaultSeed());
    // Further command-line options for the next start, e.g. "--clock-offset", "1234".
    void setExtraArguments(const QStringList &arguments) { mExtraArguments = arguments; }
    void stop();
    // Starts again on the same port and data after stop(): "the server is back".
    bool restart();
    bool isRunning() const;

    QString host() const { return QStringLiteral("127.0.0.1"); }
    quint16 port() const { return mPort; }
    QUrl url(const QString &path) const; // http://127.0.0.1:<port><path>
    QString dataFile() const;
    QString imageFolder() const; // where uploaded entrance photographs are stored
    QString output() const { return QString::fromUtf8(mOutput); } // the server's log so far

    // Admin routes: GET /admin/<route> as JSON (null document on failure) ...
    QJsonDocument adminGet(const QString &route);
    // ... and PUT/POST/DELETE; true for a 2xx answer.
    bool adminSend(const QByteArray &method,
                   const QString &route,
                   const QJsonObject &body = {},
                   const QUrlQuery &query = {});

    QJsonArray entrances() { return adminGet(QStringLiteral("entrances")).array(); }
    QJsonArray repeatedUploads() { return adminGet(QStringLiteral("repeats")).array(); }
    QJsonArray terminals() { return adminGet(QStringLiteral("terms")).array(); }
    QJsonArray people() { return adminGet(QStringLiteral("people")).array(); }
    QJsonArray requests()
    {
        return adminGet(QStringLiteral("requests")).array();
    } // protocol requests answered
    // Inserts or updates a row ("people", "inters", "zones", "pzt"); "del": true deletes it.
    bool putRow(const QString &table, const QJsonObject &row)
    {
        return adminSend("PUT", table, row);
    }
    bool setTerminalFlags(uint id, uint flags);
    bool forgetTerminal(uint id);
    // The next `count` protocol requests (after `after` ones) fail with `status` ...
    bool failNext(int count, int status = 500, int after = 0);
    // ... or hang until releaseStalled() or stop() ...
    bool stallNext(int count, int after = 0);
    // ... or are answered `ms` late ...
    bool slowNext(int count, int ms, int after = 0);
    // ... or lose the connection half-way through the reply ...
    bool dropNext(int count, int after = 0);
    // ... or get a reply whose body is cut to its first half and sent as if whole.
    bool garbleNext(int count, int after = 0);
    // Ends the faults above, letting hanging requests go on.
    bool releaseStalled();
    // The server stops listening, so connections are refused, and listens again after `ms`.
    bool refuseConnections(int ms);
    // Changes how the server departs from what the terminal expects, as the keys of the
    // admin route "behaviour": omitUnchangedLists, omitState, duplicates, countUploads
    // (booleans) and rejectedEntrances (local ids).
    bool setBehaviour(const QJsonObject &changes)
    {
        return adminSend("PUT", QStringLiteral("behaviour"), changes);
    }

private:
    bool launch(quint16 port);
    // POST /admin/<route> with count, after and the given query items.
    bool injectFault(const QString &route, int count, int after, QUrlQuery query = {});
    QByteArray send(const QByteArray &method,
                    const QString &route,
                    const QByteArray &body,
                    const QUrlQuery &query,
                    int &status);

    QTemporaryDir mDir;
    QString mSeed;
    QStringList mExtraArguments;
    QProcess mProcess;
    QByteArray mOutput;
    quint16 mPort = 0;
    QNetworkAccessManager *mNetwork;
};
