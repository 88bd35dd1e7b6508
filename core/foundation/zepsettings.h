#pragma once

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
    Q_INVOKABLE void setValue(const QString &key, const QVariant &value);
    Q_INVOKABLE void syncSettings();
};
