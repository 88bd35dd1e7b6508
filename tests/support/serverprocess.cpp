#include "tests/support/serverprocess.h"

#include <QDeadlineTimer>
#include <QRegularExpression>

#include <cstdio>

namespace {
// Writes a sanitizer's report of something it found (a build with -DZEP_SANITIZE) in the
// output to the error output; not as a warning, as the test may have used all it may print.
void passOnSanitizerReport(const QByteArray &output)
{
    static const QRegularExpression report(
        QStringLiteral(
            "^.*(ERROR: (Address|Leak)Sanitizer|runtime error:|WARNING: ThreadSanitizer:)"),
        QRegularExpression::MultilineOption);
    const QString text = QString::fromUtf8(output);
    const QRegularExpressionMatch match = report.match(text);
    if (!match.hasMatch())
        return;
    std::fputs(text.mid(match.capturedStart()).toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
}
} // namespace

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

void passOnSanitizerReports(QProcess &process, QByteArray &output)
{
    const auto ended = qOverload<int, QProcess::ExitStatus>(&QProcess::finished);
    QObject::connect(&process, ended, &process, [&process, &output] {
        output += process.readAll();
        passOnSanitizerReport(output);
    });
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
