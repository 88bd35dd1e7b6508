#pragma once

#include <QString>

// Appends time-stamped lines to a plain log file; the file is opened and closed
// for every line, so any thread may write without a lock.
class FileLog
{
public:
    explicit FileLog(const QString &fileName);
    virtual ~FileLog();

    // False when the line did not reach the file (a critical line says why).
    bool loguj(const QString &text);
    bool loguj(const char *text);

    QString fileName() const { return mFileName; }

protected:
    // Opens the file, appends the line and closes it; a file that cannot be opened or
    // written (a full disk) costs only this line and is reported by the result and a
    // critical line.
    bool append(const QString &line) const;
    // Every appended line is on the disk before append() returns.
    void setSyncedToDisk(bool synced) { mSyncedToDisk = synced; }

private:
    QString mFileName;
    QString mTimeFormat;
    bool mSyncedToDisk = false;
};
