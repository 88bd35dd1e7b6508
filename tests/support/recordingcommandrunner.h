#pragma once

#include "foundation/commandrunner.h"

#include <QList>

// Stands in for the process-wide command runner while alive: records every
// command and answers with a fixed exit status (and output); nothing is executed.
class RecordingCommandRunner : public CommandRunner
{
public:
    struct Command
    {
        QString program;
        QStringList arguments;
        bool detached = false;
        int timeoutMs = 0; // the limit it was run with (-1: none); 0 when detached
    };

    explicit RecordingCommandRunner(int exitStatus = 0);
    ~RecordingCommandRunner() override;

    int run(const QString &program, const QStringList &arguments, int timeoutMs) override;
    // Answers with the exit status and `output`.
    int capture(const QString &program,
                const QStringList &arguments,
                QByteArray &output,
                int timeoutMs) override;
    bool startDetached(const QString &program, const QStringList &arguments) override;

    QList<Command> commands;
    int exitStatus;
    QByteArray output; // what every captured command prints
};
