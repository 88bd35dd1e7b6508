#pragma once

#include "foundation/replaceableinstance.h"

#include <QString>

// Tells whether a removable drive is mounted at its mount point: the folder must
// be a mounted filesystem other than the one holding the working folder. A drive
// pulled out leaves its mount point as a plain folder of the terminal's own disk.
// One process-wide instance; a test replaces it with setInstance().
class DriveMount : public ReplaceableInstance<DriveMount>
{
public:
    virtual ~DriveMount();

    // The device id of the filesystem holding the path; false when it cannot be read.
    virtual bool deviceOf(const QString &path, quint64 *device) const;
    bool isMounted(const QString &mountPoint) const;
};
