#pragma once

#include "db/dataschema.h"
#include "db/sqlitemanager.h"

// The connection to the attendance database "./data.db" and its schema: a new file is created
// and an older one brought up to date by the constructor.
class AttendanceDatabase : public SQLiteManager
{
    Q_OBJECT

public:
    AttendanceDatabase(const QString &dbFileName,
                       bool openAtOnce = true,
                       QObject *parent = nullptr);
    ~AttendanceDatabase() override;

    bool createDB();
    void updateDB(uint n);
    void fillDemoData();
    bool wasCreated() const { return mCreated; }

private:
    // Whether the file has the migration step already.
    bool hasStep(const DataSchema::Step &step);

    bool mCreated = false;
};
