#pragma once

#include <QHash>
#include <QList>

// Spaces out the retries of entrances the server does not confirm: after its n-th unconfirmed
// upload an entrance sits out 2^(n-1) - 1 sweeps (at most 31), so that entrances the server
// keeps rejecting do not hold back the others.
class UploadBackoff
{
public:
    // Starts a sweep over the entrances still unsent; the others were confirmed and are
    // forgotten.
    void beginSweep(const QList<uint> &unsentIds);
    bool mayHandOn(uint id) const;
    void handedOn(uint id);

private:
    struct Attempts
    {
        uint count = 0;
        quint64 nextSweep = 0;
    };

    QHash<uint, Attempts> mAttempts;
    quint64 mSweep = 0;
};
