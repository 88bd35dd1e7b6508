#pragma once

#include "foundation/settingkeys.h"

#include <QHash>
#include <QSettings>

// The one settings object of the process ("zep.ini", INI): every read and write
// checks the status and announces success, so components can follow changes.
class ZEPSettings : public QSettings
{
    Q_OBJECT
public:
    explicit ZEPSettings(const QString &fileName);

    static QString statusText(QSettings::Status status);

signals:
    void onRead(QString key = QString());
    void onWrite(QString key = QString());

public:
    Q_INVOKABLE QVariant value(const QString &key, const QVariant &defaultValue = QVariant());
    QVariant value(const SettingKey &key) { return value(key.name, key.fallback); }
    Q_INVOKABLE void setValue(const QString &key, const QVariant &value);
    // Writes the settings to the file; true when the file now holds them.
    Q_INVOKABLE bool syncSettings();
    // Reads the file again after it was replaced as a whole and announces every key
    // whose value changed by onWrite(), as if it had been written; false when it
    // could not be read.
    bool rereadFile();
    // Writes made from beginChanges() to commitChanges() are announced only once the file
    // holds them all; when it cannot be written they are undone and nothing is announced.
    void beginChanges();
    bool commitChanges();

private:
    QHash<QString, QVariant> heldValues() const;
    // QSettings keeps the first error it met for good; a later write that reached the
    // file clears it here, so one failed write does not silence every later change.
    QSettings::Status currentStatus() const;
    bool fileHoldsValues() const;

    bool mWrittenSinceError = false;
    bool mHoldingChanges = false;
    // Key -> value before the held changes (invalid: the key was not set).
    QVariantMap mBeforeChanges;
};
