#include "core/terminalrecord.h"

#include "foundation/disksync.h"
#include "foundation/globals.h"
#include "foundation/zepsettings.h"
#include "db/datadbmanager.h"
#include "db/zepdbmanager.h"
#include "foundation/bodyencoding.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QSaveFile>

TerminalRecord::TerminalRecord(ZEPSettings *settings, QObject *parent)
    : QObject(parent)
    , mSettings(settings)
{
}

void TerminalRecord::fill(const QString &version,
                          const QString &revision,
                          uint bootTime,
                          const QString &ip)
{
    mData.ver = version;
    mData.rev = revision;
    mData.btime = int(bootTime);
    mData.ip = ip;
    mData.nazov = mSettings->value(Setting::terminalName).toString();
    mData.ini = loadIni(false);
}

bool TerminalRecord::load()
{
    return mCatalogueDb && mCatalogueDb->loadTerminal(mData);
}

bool TerminalRecord::save()
{
    if (!mCatalogueDb || !mCatalogueDb->saveTerminal(mData))
        return false;
    mData.changed = false;
    emit saved(mData);
    return true;
}

void TerminalRecord::setRefId(uint id)
{
    mData.refId = int(id);
    save();
}

void TerminalRecord::applySyncFlags(ushort flags)
{
    if (int(flags) != mData.flags) {
        if (mCatalogueDb && mCatalogueDb->setSyncFlags(flags))
            mData.flags = flags;
        else
            qWarning("Set sync flags on terminal failed!");
    }
    setCheckTimezone(flags & (1 << 6));
}

void TerminalRecord::setCheckTimezone(bool checkTimezone)
{
    if (checkTimezone == mCheckTimezone)
        return;
    mCheckTimezone = checkTimezone;
    emit checkTimezoneChanged(mCheckTimezone);
}

void TerminalRecord::onSettingsChanged(const QString &key)
{
    if (key == Setting::networking.name) {
        mData.changed = true;
    } else if (key == Setting::terminalName.name) {
        mData.nazov = mSettings->value(Setting::terminalName).toString();
        mData.changed = true;
        addSyncItem(QStringLiteral("nazov"), mData.nazov);
    } else if (key == Setting::terminalIp.name) {
        const QString ip = mSettings->value(Setting::terminalIp).toString();
        if (!ip.isEmpty() && ip != mData.ip) {
            mData.ip = ip;
            mData.changed = true;
            addSyncItem(QStringLiteral("ip"), ip);
        }
    }
    if (mData.changed) {
        mData.ini = loadIni(true);
        addIniToSyncItems();
    }
}

QString TerminalRecord::loadIni(bool sync)
{
    if (sync)
        mSettings->syncSettings();
    std::lock_guard<std::mutex> locker(mIniMutex);
    QFile file(mSettings->fileName());
    if (!file.exists())
        return QString();
    if (!file.open(QIODevice::ReadOnly)) {
        qCritical() << "Base::loadIni() - Canot open for read: " << file.fileName()
                    << " in :" << QDir::currentPath();
        return QString();
    }
    return QString::fromLatin1(file.readAll());
}

bool TerminalRecord::saveIni(const QString &text)
{
    std::lock_guard<std::mutex> locker(mIniMutex);
    // Written aside and renamed over the live file only when whole: a full disk
    // leaves the settings as they were.
    QSaveFile file(mSettings->fileName());
    if (!file.open(QIODevice::WriteOnly)) {
        qCritical() << "Base::loadIni() - Canot open for write: " << file.fileName();
        return false;
    }
    const QByteArray bytes = text.toLatin1();
    if (file.write(bytes) != bytes.size() || !DiskSync::instance()->syncFile(file)
        || !file.commit()) {
        qCritical() << "TerminalRecord::saveIni() - write FAILED:" << file.fileName()
                    << file.errorString();
        return false;
    }
    return DiskSync::instance()->syncFolderOf(file.fileName());
}

void TerminalRecord::addIniToSyncItems()
{
    addSyncItem(QStringLiteral("ini"), QString::fromLatin1(encodeBody(mData.ini.toLatin1())));
}

void TerminalRecord::addSyncItem(const QString &field, const QString &data)
{
    // The service keeps only the newest value of a field: one row each is enough.
    if (mAttendanceDb)
        mAttendanceDb->replaceSyncItem(field, data);
}
