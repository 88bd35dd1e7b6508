#pragma once

#include "sync/changelists.h"

// What one sync reply of the attendance server says: the server's state and the change lists
// its mask announces.
struct SyncReply : ChangeSet
{
    uint mask = 0; // the lists the reply carries (SyncMask bits)
    uint ts = 0; // server time the lists are confirmed with
    bool hasTime = false; // false: no readable "st"
    bool hasFlags = false;
    ushort flags = 0; // terminal sync flags
    uint lastId = 0; // highest entrance id of this terminal the server holds
};
