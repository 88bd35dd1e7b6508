#pragma once

#include "db/termdata.h"

#include <QObject>

#include <mutex>

class DataDBManager;
class ZEPSettings;
class ZepDBManager;

// The terminal record as the controller holds it: loaded from and saved to the
// catalogue database, with the settings file as text, the flags of the server,
// and the local changes (name, address, settings text) queued as sync items of
// the attendance database for the remote-management report.
class TerminalRecord : public QObject
{
    Q_OBJECT
public:
    explicit TerminalRecord(ZEPSettings *settings, QObject *parent = nullptr);

    void setCatalogueDb(ZepDBManager *catalogueDb) { mCatalogueDb = catalogueDb; }
    void setAttendanceDb(DataDBManager *attendanceDb) { mAttendanceDb = attendanceDb; }

    const TermData &data() const { return mData; }
    // The record for changes made in place (remote management); kept by save().
    TermData &edit() { return mData; }
    // Version, revision, boot time, address, name of the settings and the settings text.
    void fill(const QString &version, const QString &revision, uint bootTime, const QString &ip);

    bool load();
    // Stores the record; announced by saved() on success.
    bool save();
    // Keeps the server's id of this terminal, so a restart does not register it again.
    void setRefId(uint id);
    // Stores changed flags; bit 6 sets the check-timezone flag.
    void applySyncFlags(ushort flags);
    bool checkTimezone() const { return mCheckTimezone; }
    void setCheckTimezone(bool checkTimezone);
    void countCardRead() { ++mData.crNum; }
    void countAccess() { ++mData.accNum; }

    // Takes over a written setting that concerns the record ("global/networking",
    // "global/terminalName", "network/ip"); a changed record queues its settings text.
    void onSettingsChanged(const QString &key);

    // The settings file as text.
    QString loadIni(bool sync);
    // Replaces the settings file with the text; false (the file unchanged) when it
    // could not be written whole.
    bool saveIni(const QString &text);
    // Queues the held settings text (body-encoded) as the sync item "ini".
    void addIniToSyncItems();

signals:
    void saved(const TermData &data);
    void checkTimezoneChanged(bool checkTimezone);

private:
    void addSyncItem(const QString &field, const QString &data);

    ZEPSettings *mSettings;
    ZepDBManager *mCatalogueDb = nullptr;
    DataDBManager *mAttendanceDb = nullptr;
    TermData mData;
    bool mCheckTimezone = false;
    std::mutex mIniMutex; // the settings text against writes of the settings
};
