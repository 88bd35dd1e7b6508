#include "foundation/zepsettings.h"

#include "foundation/globals.h"

#include <QDebug>
#include <QFile>
#include <QTemporaryDir>

#include <utility>

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
    if (currentStatus() != QSettings::NoError) {
        qCritical("ZEPSettings: Cannot read key '%s' from '%s' - %s",
                  qPrintable(key),
                  qPrintable(fileName()),
                  qPrintable(statusText(currentStatus())));
        return result;
    }
    emit onRead(key);
    return result;
}

void ZEPSettings::setValue(const QString &key, const QVariant &value)
{
    if (Zep::debugLevel > 1)
        qDebug() << "ZEPSettings::setValue(" << key << value;
    if (mHoldingChanges && !mBeforeChanges.contains(key))
        mBeforeChanges.insert(key, contains(key) ? QSettings::value(key) : QVariant());
    QSettings::setValue(key, value);
    if (mHoldingChanges)
        return;
    if (currentStatus() != QSettings::NoError) {
        qCritical("ZEPSettings: Cannot write key '%s' to '%s' - %s",
                  qPrintable(key),
                  qPrintable(fileName()),
                  qPrintable(statusText(currentStatus())));
        return;
    }
    emit onWrite(key);
}

bool ZEPSettings::syncSettings()
{
    if (Zep::debugLevel > 1)
        qDebug("ZEPSettings::syncSettings()");
    sync();
    if (status() == QSettings::NoError)
        return true;
    mWrittenSinceError = fileHoldsValues();
    if (mWrittenSinceError)
        return true;
    qCritical("ZEPSettings: Cannot write '%s' - %s",
              qPrintable(fileName()),
              qPrintable(statusText(status())));
    return false;
}

bool ZEPSettings::rereadFile()
{
    const QHash<QString, QVariant> before = heldValues();
    if (!syncSettings())
        return false;
    const QHash<QString, QVariant> after = heldValues();
    QStringList keys = before.keys() + after.keys();
    keys.sort();
    keys.removeDuplicates();
    for (const QString &key : qAsConst(keys)) {
        if (before.value(key) != after.value(key))
            emit onWrite(key);
    }
    return true;
}

QHash<QString, QVariant> ZEPSettings::heldValues() const
{
    QHash<QString, QVariant> values;
    const QStringList keys = allKeys();
    for (const QString &key : keys)
        values.insert(key, QSettings::value(key));
    return values;
}

void ZEPSettings::beginChanges()
{
    mHoldingChanges = true;
    mBeforeChanges.clear();
}

bool ZEPSettings::commitChanges()
{
    mHoldingChanges = false;
    const QVariantMap before = std::exchange(mBeforeChanges, {});
    if (syncSettings()) {
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            emit onWrite(it.key());
        return true;
    }
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (it.value().isValid())
            QSettings::setValue(it.key(), it.value());
        else
            remove(it.key());
    }
    return false;
}

QSettings::Status ZEPSettings::currentStatus() const
{
    return mWrittenSinceError ? QSettings::NoError : status();
}

// Once a write has failed, whether a later one reached the file is read back from a
// copy of it (a second QSettings on the same name would share this one's cache).
bool ZEPSettings::fileHoldsValues() const
{
    const QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("zep.ini"));
    if (!dir.isValid() || !QFile::copy(fileName(), copy))
        return false;
    const QSettings file(copy, QSettings::IniFormat);
    if (file.status() != QSettings::NoError)
        return false;
    const QStringList keys = allKeys();
    for (const QString &key : keys) {
        const QVariant held = QSettings::value(key);
        const QVariant stored = file.value(key);
        if (held != stored && held.toString() != stored.toString())
            return false;
    }
    return true;
}
