#include "tests/support/recordingcommandrunner.h"

RecordingCommandRunner::RecordingCommandRunner(int exitStatus)
    : exitStatus(exitStatus)
{
    CommandRunner::setInstance(this);
}

RecordingCommandRunner::~RecordingCommandRunner()
{
    CommandRunner::setInstance(nullptr);
}

int RecordingCommandRunner::run(const QString &program, const QStringList &arguments, int timeoutMs)
{
    commands.append({ program, arguments, false, timeoutMs });
    return exitStatus;
}

int RecordingCommandRunner::capture(const QString &program,
                                    const QStringList &arguments,
                                    QByteArray &output,
                                    int timeoutMs)
{
    commands.append({ program, arguments, false, timeoutMs });
    output = this->output;
    return exitStatus;
}

bool RecordingCommandRunner::startDetached(const QString &program, const QStringList &arguments)
{
    commands.append({ program, arguments, true });
    return exitStatus == 0;
}
