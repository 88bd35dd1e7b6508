#pragma once

#include <QString>

class DBSync;
class SQLiteManager;

// One run of an apply slot of DBSync: announces the list, counts its records, lets the UI
// breathe after every fifth record and writes the whole list in one transaction.
class ApplyRun
{
public:
    // commitFailed is set when the list's writes could not be committed.
    ApplyRun(DBSync *sync, const QString &typ, SQLiteManager *db, bool *commitFailed);
    ~ApplyRun();
    ApplyRun(const ApplyRun &) = delete;
    ApplyRun &operator=(const ApplyRun &) = delete;

    void applied();
    void failed();
    void skipped();
    void finish();

private:
    void next();

    DBSync *mSync;
    QString mTyp;
    SQLiteManager *mDb;
    bool *mCommitFailed;
    int mApplied = 0;
    int mFailed = 0;
    int mSeen = 0;
    bool mFinished = false;
};
