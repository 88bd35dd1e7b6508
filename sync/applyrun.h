#pragma once

#include <QString>

#include <functional>

class SQLiteManager;

// One run of an apply slot: announces the list, counts its records, lets the UI breathe after
// every fifth record and writes the whole list in one transaction.
class ApplyRun
{
public:
    struct Announce
    {
        std::function<void(const QString &typ)> begin;
        std::function<void(const QString &typ, int applied, int failed)> end;
    };

    // commitFailed is set when the list's writes could not be committed.
    ApplyRun(const QString &typ, SQLiteManager *db, Announce announce, bool *commitFailed);
    ~ApplyRun();
    ApplyRun(const ApplyRun &) = delete;
    ApplyRun &operator=(const ApplyRun &) = delete;

    void applied();
    void failed();
    void skipped();
    void finish();

private:
    void next();

    QString mTyp;
    SQLiteManager *mDb;
    Announce mAnnounce;
    bool *mCommitFailed;
    int mApplied = 0;
    int mFailed = 0;
    int mSeen = 0;
    bool mFinished = false;
};
