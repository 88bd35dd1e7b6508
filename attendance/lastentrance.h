#pragma once

#include "db/entrancedata.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>

class DataDBManager;
class ZEPSettings;
class ZepDBManager;

// The identified person's last entrance as the UI shows it, and whether it may still be
// deleted: for "timeout/zmazaniePrerusenia" seconds (default 60) after it was recorded. The
// end of that time is announced when it comes, so nobody has to keep asking.
class LastEntrance : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool exists READ exists NOTIFY changed)
    Q_PROPERTY(QDateTime time READ time NOTIFY changed)
    Q_PROPERTY(QString text READ text NOTIFY changed)
    Q_PROPERTY(bool deletable READ isDeletable NOTIFY deletableChanged)
public:
    LastEntrance(DataDBManager *attendanceDb,
                 ZepDBManager *catalogueDb,
                 ZEPSettings *settings,
                 QObject *parent = nullptr);

    const EntranceData &entrance() const { return mEntrance; }
    bool exists() const { return mEntrance.id != 0; }
    // Local time of the entrance; invalid when there is none.
    QDateTime time() const;
    // The interruption type's name and the direction ("entry" or "leave").
    QString text() const;
    // The time as "h:mm:ss", followed by a line "d.M.yy" once it is a day old.
    QString timeText() const;
    bool isDeletable() const;

    // Reads the last entrance of the person (none for an unknown uid).
    Q_INVOKABLE void load(uint uid);
    void clear();

signals:
    void changed();
    void deletableChanged(bool deletable);

private:
    void setEntrance(const EntranceData &entrance);
    // Announces a change of isDeletable() and waits for the end of the time to delete.
    void followDeleteWindow();
    qint64 deleteWindowEndMs() const;

    DataDBManager *mAttendanceDb;
    ZepDBManager *mCatalogueDb;
    ZEPSettings *mSettings;
    EntranceData mEntrance;
    bool mDeletable = false;
    QTimer mWindowEnd;
};
