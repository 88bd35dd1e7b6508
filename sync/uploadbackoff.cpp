#include "sync/uploadbackoff.h"

#include <QSet>

#include <algorithm>
#include <chrono>

namespace {

constexpr qint64 minuteMs = 60 * 1000;

qint64 doubling(qint64 firstMs, uint count, qint64 capMs)
{
    return std::min(firstMs << std::min(count - 1, 16u), capMs);
}

} // namespace

qint64 UploadBackoff::now()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void UploadBackoff::failed(uint id, bool rejected, qint64 nowMs)
{
    std::lock_guard<std::mutex> lock(mMutex);
    Attempts &attempts = mAttempts[id];
    if (rejected)
        attempts.rejectedUntil
            = nowMs + doubling(4 * minuteMs, ++attempts.rejections, 128 * minuteMs);
    else
        attempts.faultUntil = nowMs + doubling(minuteMs / 2, ++attempts.faults, 4 * minuteMs);
}

void UploadBackoff::forget(uint id)
{
    std::lock_guard<std::mutex> lock(mMutex);
    mAttempts.remove(id);
}

void UploadBackoff::retain(const QList<uint> &unsentIds)
{
    const QSet<uint> unsent(unsentIds.cbegin(), unsentIds.cend());
    std::lock_guard<std::mutex> lock(mMutex);
    for (auto it = mAttempts.begin(); it != mAttempts.end();) {
        if (unsent.contains(it.key()))
            ++it;
        else
            it = mAttempts.erase(it);
    }
}

void UploadBackoff::serverRecovered()
{
    std::lock_guard<std::mutex> lock(mMutex);
    for (auto it = mAttempts.begin(); it != mAttempts.end();) {
        it->faults = 0;
        it->faultUntil = 0;
        if (it->rejections == 0)
            it = mAttempts.erase(it);
        else
            ++it;
    }
}

bool UploadBackoff::mayHandOn(uint id, qint64 nowMs) const
{
    std::lock_guard<std::mutex> lock(mMutex);
    const auto it = mAttempts.constFind(id);
    return it == mAttempts.constEnd() || std::max(it->rejectedUntil, it->faultUntil) <= nowMs;
}
