#include "core/processcontrol.h"

#include "core/foundation/commandrunner.h"
#include "core/foundation/globals.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QTimer>

namespace {
// The remote-support program, beside the terminal in its working folder.
const QString supportProgram = QStringLiteral("zepsupport");
// Time the new instance or the support program gets before this one ends.
const int handOverMs = 3000;
} // namespace

ProcessControl::ProcessControl(const FileLog &applicationLog, QObject *parent)
    : QObject(parent)
    , mLog(applicationLog)
{
}

bool ProcessControl::restart(const QString &reason)
{
    mLog.loguj(reason);
    const QString program = QCoreApplication::applicationFilePath();
    if (!CommandRunner::instance()->startDetached(program, {})) {
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
        qWarning() << "Base::tvError: Failed To Start" << program;
        return false;
    }
    QTimer::singleShot(handOverMs, QCoreApplication::instance(), &QCoreApplication::quit);
    return true;
}
