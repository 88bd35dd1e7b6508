#pragma once

#include <QString>
#include <QStringList>

// Runs external programs with an argument list (never through a shell). One
// process-wide instance; a test replaces it with setInstance().
class CommandRunner
{
public:
    virtual ~CommandRunner();

    // Runs the program and waits up to timeoutMs (-1: no limit); returns its exit
    // status, or -1 when it could not start, crashed or timed out.
    virtual int run(const QString &program, const QStringList &arguments, int timeoutMs = 30000);
    // Starts the program as an independent process; false when it could not start.
    virtual bool startDetached(const QString &program, const QStringList &arguments);

    static CommandRunner *instance();
    // Takes no ownership; nullptr restores the real runner.
    static void setInstance(CommandRunner *runner);
};
