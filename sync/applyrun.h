#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

class SQLiteManager;

// One run of an apply slot: announces the list, counts its records, lets the UI breathe after
// every yieldIntervalMs of work and writes the whole list in one transaction.
class ApplyRun
{
public:
    // Often enough for the UI to stay responsive; letting events through after every few
    // records cost a long list much of its time.
    static constexpr qint64 yieldIntervalMs = 25;

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
    qint64 mLastYieldMs;
    bool mFinished = false;
};
