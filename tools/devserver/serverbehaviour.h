#pragma once

#include <QJsonObject>
#include <QSet>

// Ways in which the server may depart from what the terminal expects, so that tests can
// meet a server that disagrees: set from the command line or the admin route "behaviour".
class ServerBehaviour
{
public:
    // A forced sync carries only the lists that changed since the terminal confirmed them.
    bool omitUnchangedLists = false;
    // Replies carry no "st" and no "ver".
    bool omitState = false;
    // Every object member and array element of a reply's result is written twice.
    bool duplicates = false;
    // Every entrance upload is stored as a row of its own, so that repeats can be counted.
    bool countUploads = false;
    // Uploads of these local entrance ids are refused.
    QSet<uint> rejectedEntrances;

    // Changes the keys present in `changes`; false when one of them is unknown or mistyped.
    bool update(const QJsonObject &changes, QString &error);
    QJsonObject toJson() const;
};
