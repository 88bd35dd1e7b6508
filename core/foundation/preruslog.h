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
    explicit PrerusLog(const QString &fileName);
    ~PrerusLog();

    // Appends the line and waits until the disk holds it; false when it did not get there.
    bool loguj(const QString &line);
    // Appends the line and starts putting it onto the disk; the result tells when the disk
    // holds it (false: it did not get there, a critical line says why).
    std::shared_future<bool> write(const QString &line);

private:
    // The open file of mFileName, or false.
    bool openCurrentFile(bool *created);

    const QString mFileName;
    std::mutex mMutex;
    QFile mFile;
    // The last line's sync: the file is the sync thread's until it is ready.
    std::shared_future<bool> mPending;
};
