#include "core/foundation/zepsettings.h"

#include "core/foundation/globals.h"

#include <QDebug>

ZEPSettings::ZEPSettings(const QString &fileName)
    : QSettings(fileName, QSettings::IniFormat)
{
}

QString ZEPSettings::statusText(QSettings::Status status)
{
    switch (status) {
    case QSettings::NoError:
        return QStringLiteral("No Error");
    case QSettings::AccessError:
        return QStringLiteral("Access Error");
    case QSettings::FormatError:
        return QStringLiteral("Format Error");
    }
    return QStringLiteral("Unknown Error");
}

QVariant ZEPSettings::value(const QString &key, const QVariant &defaultValue)
{
    const QVariant result = QSettings::value(key, defaultValue);
    if (Zep::debugLevel > 2)
        qDebug() << "ZEPSettings::value(" << key << ", " << defaultValue << "):" << result;
    if (status() != QSettings::NoError) {
        qCritical("ZEPSettings: Cannot read key '%s' from '%s' - %s",
                  qPrintable(key),
                  qPrintable(fileName()),
                  qPrintable(statusText(status())));
        return result;
    }
    emit onRead(key);
    return result;
}

void ZEPSettings::setValue(const QString &key, const QVariant &value)
{
    if (Zep::debugLevel > 1)
        qDebug() << "ZEPSettings::setValue(" << key << value;
    QSettings::setValue(key, value);
    if (status() != QSettings::NoError) {
        qCritical("ZEPSettings: Cannot write key '%s' to '%s' - %s",
                  qPrintable(key),
                  qPrintable(fileName()),
                  qPrintable(statusText(status())));
        return;
    }
    emit onWrite(key);
}

void ZEPSettings::syncSettings()
{
    if (Zep::debugLevel > 1)
        qDebug("ZEPSettings::syncSettings()");
    sync();
}
