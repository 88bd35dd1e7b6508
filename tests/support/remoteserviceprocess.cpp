#include "tests/support/remoteserviceprocess.h"

#include "tests/support/serverprocess.h"

#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>

namespace {
const int startTimeoutMs = 10000;
const int adminTimeoutMs = 5000;
} // namespace

RemoteServiceProcess::RemoteServiceProcess(QObject *parent)
    : QObject(parent)
    , mNetwork(new QNetworkAccessManager(this))
{
    mProcess.setProcessChannelMode(QProcess::MergedChannels);
    ServerProcess::passOnSanitizerReports(mProcess, mOutput);
}

RemoteServiceProcess::~RemoteServiceProcess()
{
    stop();
}

QString RemoteServiceProcess::uploadFolder() const
{
    return mDir.filePath(QStringLiteral("uploads"));
}

bool RemoteServiceProcess::start(const QJsonObject &config)
{
    const QString configFile = mDir.filePath(QStringLiteral("config.json"));
    QFile file(configFile);
    if (!mDir.isValid() || !file.open(QIODevice::WriteOnly)
        || file.write(QJsonDocument(config).toJson()) < 0)
        return false;
    file.close();
    mProcess.start(QStringLiteral(ZEP_BINARY_DIR "/tools/zep-remoteservice"),
                   { QStringLiteral("--port"),
                     QStringLiteral("0"),
                     QStringLiteral("--config"),
                     configFile,
                     QStringLiteral("--uploads"),
                     uploadFolder() });
    mPort = ServerProcess::waitForListening(mProcess, mOutput, startTimeoutMs);
    return mPort != 0;
}

void RemoteServiceProcess::stop()
{
    ServerProcess::stop(mProcess, mOutput);
}

QJsonObject RemoteServiceProcess::terminalState(int tid)
{
    QNetworkReply *reply = mNetwork->get(
        QNetworkRequest(QUrl(QStringLiteral("http://127.0.0.1:%1/admin/state").arg(mPort))));
    QEventLoop loop;
    QTimer::singleShot(adminTimeoutMs, &loop, &QEventLoop::quit);
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec();
    const QByteArray answer = reply->isFinished() ? reply->readAll() : QByteArray();
    reply->abort();
    reply->deleteLater();
    return QJsonDocument::fromJson(answer)
        .object()
        .value(QStringLiteral("terminals"))
        .toObject()
        .value(QString::number(tid))
        .toObject();
}
