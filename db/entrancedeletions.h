#pragma once

#include <QList>
#include <QPair>

class DataDBManager;
struct SyncItem;

// Deletions of entrances that the attendance server has to learn about. Each waits in the
// outgoing sync queue until the server confirms it. One whose server id is not known (its
// upload is unanswered, or its answer was lost with an earlier run of the terminal) is
// addressed by the local id alone.
class EntranceDeletions
{
public:
    using Deletion = QPair<uint, uint>; // local id, server id

    explicit EntranceDeletions(DataDBManager *db);

    // Whether the queued item is one of these deletions: they belong to the attendance
    // server alone, no other user of the queue may send or remove them.
    static bool isDeletion(const SyncItem &item);

    // Deletes the entrance and queues its deletion on the server; the server id it had, 0 when
    // it had none yet. False when the entrance could not be deleted.
    bool deleteEntrance(uint localId, uint *serverId);
    // The server confirmed the upload of an entrance that is no longer here: true when a
    // deletion waits for this id (it is then ready to be sent).
    bool learnServerId(uint localId, uint serverId);
    // Every deletion to send, server id 0 where it is not known; those still without an id
    // after a day are dropped: their entrance never reached the server.
    QList<Deletion> ready();
    void done(uint localId);

private:
    DataDBManager *mDb;
};
