#pragma once

#include <QDateTime>
#include <QObject>


class DataDBManager;
class PrerusenieModel;
class ZEPSettings;
class ZepDBManager;

// Moves the most used interruption types to the front at most once a day, at the night hour,
// so that the digit shortcuts stay where people learned them during the day and across
// restarts. Called on the scheduler's minute tick, which only runs while nobody uses the
// terminal.
class TypeReorder : public QObject
{
    Q_OBJECT
public:
    TypeReorder(ZEPSettings *settings,
                ZepDBManager *catalogueDb,
                DataDBManager *attendanceDb,
                PrerusenieModel *model,
                QObject *parent = nullptr);

public slots:
    // Reorders when "global/autosort" is on, it is the hour "global/autosortHour" and the
    // types were not reordered yet today.
    void onIdleMinute();

private:
    bool reorder(qint64 since, const QDateTime &now);

    ZEPSettings *mSettings;
    ZepDBManager *mCatalogueDb;
    DataDBManager *mAttendanceDb;
    PrerusenieModel *mModel;
};
