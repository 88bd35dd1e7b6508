#include "tests/support/devserverprocess.h"

#include "tests/support/serverprocess.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace {
const int startTimeoutMs = 10000;
const int adminTimeoutMs = 5000;
} // namespace

DevServerProcess::DevServerProcess(QObject *parent)
    : QObject(parent)
    , mNetwork(new QNetworkAccessManager(this))
{
    mProcess.setProcessChannelMode(QProcess::MergedChannels);
    connect(&mProcess, &QProcess::readyReadStandardOutput, this, [this] {
        mOutput += mProcess.readAll();
    });
    ServerProcess::passOnSanitizerReports(mProcess, mOutput);
}

DevServerProcess::~DevServerProcess()
{
    stop();
}

QString DevServerProcess::program()
{
    return QStringLiteral(ZEP_BINARY_DIR "/tools/zep-devserver");
}

QString DevServerProcess::defaultSeed()
{
    return QStringLiteral(ZEP_SOURCE_DIR "/tools/devserver-seed.json");
}

QString DevServerProcess::dataFile() const
{
    return mDir.filePath(QStringLiteral("devserver.db"));
}

QString DevServerProcess::imageFolder() const
{
    return mDir.filePath(QStringLiteral("images"));
}

QUrl DevServerProcess::url(const QString &path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(mPort).arg(path));
}

bool DevServerProcess::start(const QString &seedFile)
{
    mSeed = seedFile;
    return launch(0);
}

bool DevServerProcess::restart()
{
    stop();
    return launch(mPort);
}

bool DevServerProcess::isRunning() const
{
    return mProcess.state() == QProcess::Running;
}

bool DevServerProcess::launch(quint16 port)
{
    if (!mDir.isValid())
        return false;
    mOutput.clear();
    mProcess.start(program(),
                   QStringList { QStringLiteral("--port"),
                                 QString::number(port),
                                 QStringLiteral("--data"),
                                 dataFile(),
                                 QStringLiteral("--seed"),
                                 mSeed,
                                 QStringLiteral("--images"),
                                 imageFolder() }
                       + mExtraArguments);
    const quint16 bound = ServerProcess::waitForListening(mProcess, mOutput, startTimeoutMs);
    if (bound == 0)
        return false;
    mPort = bound;
    return true;
}

void DevServerProcess::stop()
{
    ServerProcess::stop(mProcess, mOutput);
}

QByteArray DevServerProcess::send(const QByteArray &method,
                                  const QString &route,
                                  const QByteArray &body,
                                  const QUrlQuery &query,
                                  int &status)
{
    QUrl target = url(QStringLiteral("/admin/") + route);
    target.setQuery(query);
    QNetworkRequest request(target);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    QNetworkReply *reply = mNetwork->sendCustomRequest(request, method, body);
    QEventLoop loop;
    QTimer::singleShot(adminTimeoutMs, &loop, &QEventLoop::quit);
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec();
    status = reply->isFinished()
        ? reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt()
        : 0;
    const QByteArray answer = reply->isFinished() ? reply->readAll() : QByteArray();
    reply->abort();
    reply->deleteLater();
    return answer;
}

QJsonDocument DevServerProcess::adminGet(const QString &route)
{
    int status = 0;
    const QByteArray answer = send("GET", route, {}, {}, status);
    return status == 200 ? QJsonDocument::fromJson(answer) : QJsonDocument();
}

bool DevServerProcess::adminSend(const QByteArray &method,
                                 const QString &route,
                                 const QJsonObject &body,
                                 const QUrlQuery &query)
{
    int status = 0;
    send(method,
         route,
         body.isEmpty() ? QByteArray() : QJsonDocument(body).toJson(QJsonDocument::Compact),
         query,
         status);
    return status >= 200 && status < 300;
}

bool DevServerProcess::setTerminalFlags(uint id, uint flags)
{
    return adminSend(
        "PUT", QStringLiteral("term"), { { "id", qint64(id) }, { "flags", qint64(flags) } });
}

bool DevServerProcess::forgetTerminal(uint id)
{
    return adminSend("DELETE",
                     QStringLiteral("term"),
                     {},
                     QUrlQuery { { QStringLiteral("id"), QString::number(id) } });
}

bool DevServerProcess::injectFault(const QString &route, int count, int after, QUrlQuery query)
{
    query.addQueryItem(QStringLiteral("count"), QString::number(count));
    query.addQueryItem(QStringLiteral("after"), QString::number(after));
    return adminSend("POST", route, {}, query);
}

bool DevServerProcess::failNext(int count, int status, int after)
{
    return injectFault(QStringLiteral("fail"),
                       count,
                       after,
                       QUrlQuery { { QStringLiteral("status"), QString::number(status) } });
}

bool DevServerProcess::stallNext(int count, int after)
{
    return injectFault(QStringLiteral("stall"), count, after);
}

bool DevServerProcess::slowNext(int count, int ms, int after)
{
    return injectFault(QStringLiteral("slow"),
                       count,
                       after,
                       QUrlQuery { { QStringLiteral("ms"), QString::number(ms) } });
}

bool DevServerProcess::dropNext(int count, int after)
{
    return injectFault(QStringLiteral("drop"), count, after);
}

bool DevServerProcess::garbleNext(int count, int after)
{
    return injectFault(QStringLiteral("garble"), count, after);
}

bool DevServerProcess::refuseConnections(int ms)
{
    return adminSend("POST",
                     QStringLiteral("refuse"),
                     {},
                     QUrlQuery { { QStringLiteral("ms"), QString::number(ms) } });
}

bool DevServerProcess::releaseStalled()
{
    return adminSend("POST", QStringLiteral("release"));
}
