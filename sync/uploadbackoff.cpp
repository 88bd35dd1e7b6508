#include "sync/uploadbackoff.h"

#include <QSet>

#include <algorithm>

namespace {
constexpr uint maxDoublings = 5;
}

void UploadBackoff::beginSweep(const QList<uint> &unsentIds)
{
    ++mSweep;
    const QSet<uint> unsent(unsentIds.cbegin(), unsentIds.cend());
    for (auto it = mAttempts.begin(); it != mAttempts.end();) {
        if (unsent.contains(it.key()))
            ++it;
        else
            it = mAttempts.erase(it);
    }
}

bool UploadBackoff::mayHandOn(uint id) const
{
    const auto it = mAttempts.constFind(id);
    return it == mAttempts.constEnd() || it->nextSweep <= mSweep;
}

void UploadBackoff::handedOn(uint id)
{
    Attempts &attempts = mAttempts[id];
    ++attempts.count;
    attempts.nextSweep = mSweep + (quint64(1) << std::min(attempts.count - 1, maxDoublings));
}
