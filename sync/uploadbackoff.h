#pragma once

#include <QHash>
#include <QList>

#include <mutex>

// Spaces out the posts of an entrance the server did not confirm, by what went wrong. One the
// server refused waits 4 minutes after its first refusal, twice as long after each further one,
// at most 128 minutes, so that entrances the server keeps refusing do not hold back the others.
// One whose post met a fault of the server or of the way to it (no answer, a status of 500 or
// more, a reply that cannot be read) waits 30 seconds, doubling up to 4 minutes, and not at all
// once the server answers again. Only posts that were sent count. Times are milliseconds of a
// monotonic clock. Written by the uploader, read by its sweep.
class UploadBackoff
{
public:
    static qint64 now();

    void failed(uint id, bool rejected, qint64 nowMs);
    // Confirmed or gone: nothing to wait for.
    void forget(uint id);
    // Keeps the entrances that are still unsent.
    void retain(const QList<uint> &unsentIds);
    // The server answers again: faults of the server hold nothing back.
    void serverRecovered();
    bool mayHandOn(uint id, qint64 nowMs) const;

private:
    struct Attempts
    {
        uint rejections = 0;
        uint faults = 0;
        qint64 rejectedUntil = 0;
        qint64 faultUntil = 0;
    };

    mutable std::mutex mMutex;
    QHash<uint, Attempts> mAttempts;
};
