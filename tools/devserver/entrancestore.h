#pragma once

#include <QJsonArray>
#include <QString>
#include <QVariantMap>

class DevDatabase;

// Entrances the terminals uploaded; their photographs are kept as files in one folder.
class EntranceStore
{
public:
    EntranceStore(DevDatabase &db, QString imageFolder);

    // Stores an entrance of terminal `term` with its decoded image (may be empty). With
    // `deduplicate`, an entrance the terminal sent before (same local id) keeps its first
    // server id; without, every upload is a row of its own.
    uint add(uint term, const QVariantMap &entrance, const QByteArray &image, bool deduplicate);
    // Marks deleted the entrance with server id `eid` (when not 0) and local id `rid` (when
    // not 0); with eid 0 every copy the terminal sent under that local id.
    bool remove(uint term, uint eid, uint rid);
    uint lastLocalId(uint term) const; // highest local id the terminal sent, 0 when none

    QJsonArray list() const;
    // Entrances stored more than once under the same terminal and local id, each as
    // {"term", "rid", "uploads", "eids"}: the repeats of uploads stored without deduplication.
    QJsonArray repeats() const;
    QString imageFolder() const { return mImageFolder; }

private:
    DevDatabase &mDb;
    QString mImageFolder;
};
