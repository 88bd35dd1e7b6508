#include "foundation/filelog.h"

#include "foundation/fileappend.h"
#include "foundation/globals.h"
#include "foundation/logrotation.h"
#include "foundation/secondstamp.h"

#include <QDebug>

FileLog::FileLog(const QString &fileName)
    : mFileName(fileName)
{
}

bool FileLog::loguj(const QString &text)
{
    try {
        // Never destroyed: lines also come from objects destroyed at the process's end.
        static SecondStamp *const stamp = new SecondStamp(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        const QString stamped = stamp->now() + QStringLiteral(" => ") + text;
        const FileAppend::Result result = FileAppend::append(mFileName, stamped.toUtf8() + '\n');
        if (!result.opened) {
            qCritical() << "Canot open for write: " << mFileName;
        } else if (!result.written) {
            // Only the debug log hears of it, which is written without this class.
            qCritical().noquote()
                << QStringLiteral("Cannot write to %1: %2").arg(mFileName, result.error);
        }
        if (result.written && !LogRotation::setAsideIfFull(mFileName, result.size))
            qCritical().noquote() << QStringLiteral("Cannot set %1 aside").arg(mFileName);
        if (Zep::debugLevel != 0)
            qDebug().noquote() << stamped;
        return result.written;
    } catch (...) {
        qCritical("FileLog::loguj() - FAILURE!");
        return false;
    }
}

bool FileLog::loguj(const char *text)
{
    return loguj(QString::fromUtf8(text));
}
