#include "foundation/debuglog.h"

#include "foundation/fileappend.h"
#include "foundation/globals.h"
#include "foundation/logrotation.h"
#include "foundation/secondstamp.h"

#include <cstdio>
#include <cstdlib>

namespace DebugLog {

namespace {
QString stampFormat()
{
    return QStringLiteral("yyMMdd-hhmmss ");
}
} // namespace

QString prefix(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return QStringLiteral("D: ");
    case QtWarningMsg:
        return QStringLiteral("W: ");
    case QtCriticalMsg:
        return QStringLiteral("C: ");
    case QtFatalMsg:
        return QStringLiteral("F: ");
    default:
        return QString();
    }
}

QString line(QtMsgType type, const QString &text, const QDateTime &when)
{
    return when.toString(stampFormat()) + prefix(type) + text;
}

QString filePath()
{
    return ZepFiles::debugLogDir + QStringLiteral("/zep-debug.log");
}

void handler(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    // Never destroyed: lines also come from objects destroyed at the process's end.
    static SecondStamp *const stamp = new SecondStamp(stampFormat());
    const QByteArray bytes = (stamp->now() + prefix(type) + text).toUtf8() + '\n';
    const FileAppend::Result result
        = Zep::loggingEnabled ? FileAppend::append(filePath(), bytes) : FileAppend::Result();
    // A file that cannot be written (a full disk) must not swallow the line either, and
    // the reason the process ends is said where whoever started it sees it.
    if (!result.written || type == QtFatalMsg) {
        FILE *console = type == QtDebugMsg ? stdout : stderr;
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), console);
        std::fflush(console);
    } else if (!LogRotation::setAsideIfFull(filePath(), result.size)) {
        std::fprintf(stderr, "Cannot set %s aside\n", filePath().toLocal8Bit().constData());
    }
    if (type == QtFatalMsg)
        std::abort();
}

} // namespace DebugLog
