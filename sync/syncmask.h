#pragma once

// Bits of the sync mask: which change lists a sync reply carries, and which list a
// confirmation clears on the server.
namespace SyncMask {
enum Bit : unsigned short {
    Inters = 0x1,
    People = 0x2,
    Saldo = 0x4,
    Present = 0x8,
    Zones = 0x40,
    Grp = 0x100,
};
} // namespace SyncMask
