#pragma once

#include <QString>

// Appends time-stamped lines to a plain log file; the file is opened and closed
// for every line, so any thread may write without a lock.
class FileLog
{
public:
    explicit FileLog(const QString &fileName);

    // False when the line did not reach the file (a critical line says why): a
    // file that cannot be opened or written (a full disk) costs only this line.
    bool loguj(const QString &text);
    bool loguj(const char *text);

    QString fileName() const { return mFileName; }

private:
    QString mFileName;
};
