#include "core/foundation/preruslog.h"

#include "core/foundation/globals.h"

#include <QDebug>

PrerusLog::PrerusLog(const QString &fileName)
    : FileLog(fileName)
{
    // A recorded entrance must outlive a power cut in the journal too.
    setSyncedToDisk(true);
}

bool PrerusLog::loguj(const QString &line)
{
    try {
        const bool written = append(line);
        if (Zep::debugLevel > 1)
            qDebug().noquote() << QStringLiteral("PrerusLog::loguj(") + line + QLatin1Char(')');
        return written;
    } catch (...) {
        qCritical("PrerusLog::loguj() - FAILURE!");
        return false;
    }
}
