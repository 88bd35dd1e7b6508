#include "core/foundation/filelog.h"

#include "core/foundation/disksync.h"
#include "core/foundation/globals.h"

#include <QDateTime>
#include <QDebug>
#include <QFile>
#include <QTextStream>

FileLog::FileLog(const QString &fileName)
    : mFileName(fileName)
    , mTimeFormat(QStringLiteral("yyyy-MM-dd hh:mm:ss"))
{
}

FileLog::~FileLog() = default;

bool FileLog::loguj(const QString &text)
{
    try {
        const QString stamped
            = QDateTime::currentDateTime().toString(mTimeFormat) + QStringLiteral(" => ") + text;
        const bool written = append(stamped);
        if (Zep::debugLevel != 0)
            qDebug().noquote() << stamped;
        return written;
    } catch (...) {
        qCritical("FileLog::loguj() - FAILURE!");
        return false;
    }
}

bool FileLog::loguj(const char *text)
{
    return loguj(QString::fromUtf8(text));
}

bool FileLog::append(const QString &line) const
{
    QFile file(mFileName);
    const bool created = !file.exists();
    if (!file.open(QIODevice::Append | QIODevice::Text)) {
        qCritical() << "Canot open for write: " << mFileName;
        return false;
    }
    QTextStream out(&file);
    out << line << '\n';
    out.flush();
    bool written = out.status() == QTextStream::Ok && file.flush();
    if (written && mSyncedToDisk) {
        written = DiskSync::instance()->syncFile(file)
            && (!created || DiskSync::instance()->syncFolderOf(mFileName));
    }
    const QString error = file.errorString();
    file.close();
    if (!written) {
        // Only the debug log hears of it, which is written without this class.
        qCritical().noquote() << QStringLiteral("Cannot write to %1: %2").arg(mFileName, error);
        return false;
    }
    return true;
}
