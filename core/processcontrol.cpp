#include "core/processcontrol.h"

#include "foundation/commandrunner.h"
#include "foundation/globals.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QTimer>

namespace {
// The remote-support program, beside the terminal in its working folder.
const QString supportProgram = QStringLiteral("zepsupport");
// Time the new instance gets before this one ends.
const int handOverMs = 3000;
// Time the started support program gets before this one ends.
const int supportHandOverMs = 1000;
} // namespace

ProcessControl::ProcessControl(const FileLog &applicationLog,
                               const QStringList &arguments,
                               QObject *parent)
    : QObject(parent)
    , mLog(applicationLog)
    , mArguments(arguments)
{
}

bool ProcessControl::restart(const QString &reason)
{
    mLog.loguj(reason);
    const QString program = QCoreApplication::applicationFilePath();
    if (!CommandRunner::instance()->startDetached(program, mArguments)) {
        // Quitting now would leave the kiosk without a terminal.
        qWarning() << "Base::doReboot():" << program << "NOT STARTED!";
        return false;
    }
    quit(handOverMs);
    return true;
}

void ProcessControl::quit(uint delayMs)
{
    if (Zep::debugLevel != 0)
        qDebug("Base::doQuit()");
    mLog.loguj("DO QUIT..");
    QTimer::singleShot(int(delayMs), QCoreApplication::instance(), &QCoreApplication::quit);
}

bool ProcessControl::startSupport()
{
    if (Zep::debugLevel != 0)
        qDebug("Base::startSupport()");
    const QString program = QDir::current().absoluteFilePath(supportProgram);
    if (!CommandRunner::instance()->startDetached(program, {})) {
        tvError(QProcess::FailedToStart);
        return false;
    }
    tvStarted();
    return true;
}

void ProcessControl::tvError(QProcess::ProcessError error)
{
    switch (error) {
    case QProcess::FailedToStart:
        qWarning("Base::tvError: Failed To Start");
        break;
    case QProcess::Crashed:
        qWarning("Base::tvError: Crashed");
        break;
    case QProcess::Timedout:
        qWarning("Base::tvError: Timedout");
        break;
    case QProcess::ReadError:
        qWarning("Base::tvError: Read Error");
        break;
    case QProcess::WriteError:
        qWarning("Base::tvError: Write Error");
        break;
    case QProcess::UnknownError:
        qWarning("Base::tvError: Unknown Error");
        break;
    }
}

void ProcessControl::tvStarted()
{
    qDebug("Base::tvStarted()");
    quit(supportHandOverMs);
}
