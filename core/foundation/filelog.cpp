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

void FileLog::loguj(const QString &text)
{
    try {
        const QString stamped
            = QDateTime::currentDateTime().toString(mTimeFormat) + QStringLiteral(" => ") + text;
        append(stamped);
        if (Zep::debugLevel != 0)
            qDebug().noquote() << stamped;
    } catch (...) {
        qCritical("FileLog::loguj() - FAILURE!");
    }
}

void FileLog::loguj(const char *text)
{
    loguj(QString::fromUtf8(text));
}

void FileLog::append(const QString &line) const
{
    QFile file(mFileName);
    const bool created = !file.exists();
    if (!file.open(QIODevice::Append | QIODevice::Text)) {
        qCritical() << "Canot open for write: " << mFileName;
        return;
    }
    QTextStream out(&file);
    out << line << '\n';
    out.flush();
    if (mSyncedToDisk) {
        DiskSync::instance()->syncFile(file);
        if (created)
            DiskSync::instance()->syncFolderOf(mFileName);
    }
    file.close();
}
