#pragma once

#include "foundation/replaceableinstance.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class QProcess;

// Runs external programs with an argument list (never through a shell). One
// process-wide instance; a test replaces it with setInstance().
class CommandRunner : public ReplaceableInstance<CommandRunner>
{
public:
    virtual ~CommandRunner();

    // Runs the program and waits up to timeoutMs (-1: no limit); returns its exit
    // status, or -1 when it could not start, crashed or timed out.
    virtual int run(const QString &program, const QStringList &arguments, int timeoutMs = 30000);
    // Like run(), and hands back what the program wrote to its standard output.
    virtual int capture(const QString &program,
                        const QStringList &arguments,
                        QByteArray &output,
                        int timeoutMs = 30000);
    // Starts the program as an independent process; false when it could not start.
    virtual bool startDetached(const QString &program, const QStringList &arguments);

private:
    static int
    execute(QProcess &process, const QString &program, const QStringList &arguments, int timeoutMs);
};
