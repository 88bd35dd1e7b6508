#pragma once

#include <QFile>
#include <QString>

#include <future>
#include <mutex>

// The interruption log: each recorded entrance as one line that carries its own time,
// put onto the disk. The file stays open between lines and is opened again when it
// was removed or replaced; any thread may write.
class PrerusLog
{
public:
    // A line appended by write(): where it begins in the file and whether the disk holds it.
    struct Line
    {
        qint64 offset = -1;
        qint64 size = 0;
        // False: the line did not get onto the disk (a critical line says why).
        std::shared_future<bool> synced;
    };

    explicit PrerusLog(const QString &fileName);
    ~PrerusLog();

    // Appends the line and waits until the disk holds it; false when it did not get there.
    bool loguj(const QString &line);
    // Appends the line and starts putting it onto the disk. A line that was written only in
    // part is cut off again, so that the next line starts on a line of its own.
    Line write(const QString &line);
    // Removes a line of write() whose entrance was not recorded; false (with a critical
    // line) when it is no longer the file's last line or the file cannot be cut.
    bool takeBack(const Line &line);

private:
    // The open file of mFileName, or false.
    bool openCurrentFile(bool *created);

    const QString mFileName;
    std::mutex mMutex;
    QFile mFile;
    // The last line's sync: the file is the sync thread's until it is ready.
    std::shared_future<bool> mPending;
};
