#include "tests/support/serverprocess.h"

#include <QDeadlineTimer>
#include <QRegularExpression>

namespace ServerProcess {

quint16 waitForListening(QProcess &process, QByteArray &output, int timeoutMs)
{
    static const QRegularExpression listening(QStringLiteral("^listening on [^:]+:(\\d+)$"),
                                              QRegularExpression::MultilineOption);
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        const QRegularExpressionMatch match = listening.match(QString::fromUtf8(output));
        if (match.hasMatch())
            return quint16(match.captured(1).toUInt());
        if (process.state() == QProcess::NotRunning && !process.waitForStarted(0))
            return 0;
        process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
        output += process.readAll();
    }
    return 0;
}

void stop(QProcess &process, QByteArray &output)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(3000);
    }
    output += process.readAll();
}

} // namespace ServerProcess
