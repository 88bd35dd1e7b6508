#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// Keeps the free space on the working folder's disk above a floor by removing the
// oldest days of the photo backup tree (root/yyyy/MM/dd), so that recording never
// runs out of room while backups can make it. Only days before the first day to
// keep are removed: the caller keeps every day that may hold a photo of an
// entrance the server does not have yet.
class SpaceKeeper
{
public:
    SpaceKeeper(const QString &root, qint64 floorBytes);

    // Free bytes on the disk of the working folder; -1 when unknown.
    static qint64 freeBytes();
    bool isLow() const;
    // Removes the oldest days before firstKeptDay while the space is low;
    // returns how many were removed.
    int makeRoom(const QDate &firstKeptDay) const;

private:
    QStringList daysOldestFirst() const;

    QString mRoot;
    qint64 mFloor;
};
