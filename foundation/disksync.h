#pragma once

#include "foundation/replaceableinstance.h"

#include <QString>

class QFileDevice;

// Pushes what was written onto the disk, so that a power cut after the call cannot
// take it: the contents of an open file, and the folder entry naming a new file.
// One process-wide instance; a test replaces it with setInstance().
class DiskSync : public ReplaceableInstance<DiskSync>
{
public:
    virtual ~DiskSync();

    // Flushes the file's buffers and waits until the disk holds its contents.
    virtual bool syncFile(QFileDevice &file);
    // Waits until the disk holds the entry of path in its folder.
    virtual bool syncFolderOf(const QString &path);
};
