#include "foundation/commandrunner.h"

#include <QDebug>
#include <QProcess>

CommandRunner::~CommandRunner() = default;

int CommandRunner::run(const QString &program, const QStringList &arguments, int timeoutMs)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    return execute(process, program, arguments, timeoutMs);
}

int CommandRunner::capture(const QString &program,
                           const QStringList &arguments,
                           QByteArray &output,
                           int timeoutMs)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const int status = execute(process, program, arguments, timeoutMs);
    output = process.readAllStandardOutput();
    return status;
}

int CommandRunner::execute(QProcess &process,
                           const QString &program,
                           const QStringList &arguments,
                           int timeoutMs)
{
    process.start(program, arguments);
    if (!process.waitForStarted()) {
        qWarning() << "CommandRunner::run():" << program << "not started:" << process.errorString();
        return -1;
    }
    if (!process.waitForFinished(timeoutMs)) {
        qWarning() << "CommandRunner::run():" << program << "did not finish, stopping it";
        process.kill();
        process.waitForFinished(1000);
        return -1;
    }
    if (process.exitStatus() != QProcess::NormalExit)
        return -1;
    return process.exitCode();
}

bool CommandRunner::startDetached(const QString &program, const QStringList &arguments)
{
    return QProcess::startDetached(program, arguments);
}
