#pragma once

#include <QString>

// Appends time-stamped lines to a plain log file; the file is opened and closed
// for every line, so any thread may write without a lock.
class FileLog
{
public:
    explicit FileLog(const QString &fileName);
    virtual ~FileLog();

    void loguj(const QString &text);
    void loguj(const char *text);

    QString fileName() const { return mFileName; }

protected:
    // Opens the file, appends the line and closes it; a file that cannot be
    // opened costs only this line.
    void append(const QString &line) const;
    // Every appended line is on the disk before append() returns.
    void setSyncedToDisk(bool synced) { mSyncedToDisk = synced; }

private:
    QString mFileName;
    QString mTimeFormat;
    bool mSyncedToDisk = false;
};
