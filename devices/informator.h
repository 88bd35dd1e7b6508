#pragma once

#include "devices/systemsampler.h"

#include <QHash>
#include <QObject>
#include <QString>

// The terminal's identity (version, build, revision, boot time) and the usage
// of its resources "CPU", "RAM", "HDD" and "SDC" (the removable drive), with
// change signals; a mount or unmount is sampled when it happens.
class Informator : public QObject
{
    Q_OBJECT
public:
    explicit Informator(const QString &executablePath, QObject *parent = nullptr);

    Q_INVOKABLE QString appVer() const;
    Q_INVOKABLE QString appBuild() const;
    Q_INVOKABLE QString gitRev() const;
    Q_INVOKABLE uint parseBootTime() const;
    // Last usage in percent and last total of a resource; 0 before its first sample.
    Q_INVOKABLE uint usage(const QString &name) const { return mUsed.value(name); }
    Q_INVOKABLE uint total(const QString &name) const { return mTotal.value(name); }
    bool isSdCardPresent() const { return mSdCardPresent; }

    // The folder the removable drive is mounted on.
    void setRemovableDrive(const QString &path) { mSampler.setDrivePath(path); }

signals:
    void usageChanged(QString name, uint value);
    void totalChanged(QString name, uint value);
    void sdCardPresentChanged(bool present);
    void parserStart();
    void parserStop();

public slots:
    // Samples every resource and reports each through parsedData().
    void doParse();
    void parsedData(const QString &name, uint total, uint used);

private:
    QString mExecutablePath;
    QHash<QString, uint> mUsed;
    QHash<QString, uint> mTotal;
    bool mSdCardPresent = false;
    SystemSampler mSampler;
};
