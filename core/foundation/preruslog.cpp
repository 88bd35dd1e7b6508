#include "core/foundation/preruslog.h"

#include "core/foundation/globals.h"

#include <QDebug>

PrerusLog::PrerusLog(const QString &fileName)
    : FileLog(fileName)
{
    // A recorded entrance must outlive a power cut in the journal too.
    setSyncedToDisk(true);
}

void PrerusLog::loguj(const QString &line)
{
    try {
        append(line);
        if (Zep::debugLevel > 1)
            qDebug().noquote() << QStringLiteral("PrerusLog::loguj(") + line + QLatin1Char(')');
    } catch (...) {
        qCritical("PrerusLog::loguj() - FAILURE!");
    }
}
