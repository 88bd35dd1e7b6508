#pragma once

#include <QString>

// A tmpfs of a few kilobytes mounted on an existing folder for the lifetime of the
// object, so that a test can fill a disk. Mounting needs the right to (root).
class SmallTmpfs
{
public:
    SmallTmpfs(const QString &folder, int kilobytes);
    ~SmallTmpfs();

    bool isMounted() const { return mMounted; }
    // Why it could not be mounted.
    QString error() const { return mError; }
    // Takes the free space with a file of its own; false when space is left.
    bool fill();

private:
    QString mFolder;
    bool mMounted = false;
    QString mError;
};
