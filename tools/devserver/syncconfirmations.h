#pragma once

#include <QtGlobal>

class DevDatabase;

// Per terminal and change list: the change number the terminal has confirmed, and the
// change number each sync reply covered (keyed by the reply's server time), so that a
// confirmation of that time clears exactly what the reply carried.
class SyncConfirmations
{
public:
    explicit SyncConfirmations(DevDatabase &db);

    qint64 confirmed(uint term, uint list) const;
    void remember(uint term, uint st, uint list, qint64 seq);
    // Applies a confirmation of the reply with server time ts for the lists in `lists`;
    // returns the lists that matched a reply.
    uint confirm(uint term, uint ts, uint lists);
    void forget(uint term); // the terminal starts again from full lists

private:
    DevDatabase &mDb;
};
