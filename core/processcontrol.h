#pragma once

#include "foundation/filelog.h"

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

// Restarts and quits the terminal's process and hands the machine over to the
// remote-support program.
class ProcessControl : public QObject
{
    Q_OBJECT
public:
    // arguments: those the program was started with (after its name); a restart passes them on.
    ProcessControl(const FileLog &applicationLog,
                   const QStringList &arguments,
                   QObject *parent = nullptr);

    // Logs the reason, starts a new instance of the program and quits after 3 s;
    // false, and the application stays up, when the new instance could not start.
    bool restart(const QString &reason);
    // Ends the event loop after delayMs.
    void quit(uint delayMs);
    // Starts the remote-support program beside the terminal (tvStarted(), or tvError()
    // when it could not start: false, and the application stays up).
    bool startSupport();

public slots:
    // Handlers of the remote-support process: the error is logged; once started the
    // machine is the support program's, and the terminal quits after 1 s.
    void tvError(QProcess::ProcessError error);
    void tvStarted();

private:
    FileLog mLog;
    QStringList mArguments;
};
