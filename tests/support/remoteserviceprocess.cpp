#include "tests/support/remoteserviceprocess.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
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
    static const QRegularExpression listening(QStringLiteral("^listening on [^:]+:(\\d+)$"),
                                              QRegularExpression::MultilineOption);
    QDeadlineTimer deadline(startTimeoutMs);
    while (!deadline.hasExpired() && mProcess.state() != QProcess::NotRunning) {
        mProcess.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
        mOutput += mProcess.readAll();
        const QRegularExpressionMatch match = listening.match(QString::fromUtf8(mOutput));
        if (match.hasMatch()) {
            mPort = quint16(match.captured(1).toUInt());
            return true;
        }
    }
    return false;
}

void RemoteServiceProcess::stop()
{
    if (mProcess.state() == QProcess::NotRunning)
        return;
    mProcess.terminate();
    if (!mProcess.waitForFinished(3000)) {
        mProcess.kill();
        mProcess.waitForFinished(3000);
    }
    mOutput += mProcess.readAll();
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
