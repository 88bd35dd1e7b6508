#pragma once

#include "db/persondata.h"
#include "sync/changelists.h"

#include <QHash>
#include <QStringList>

#include <functional>

class ApplyRun;
class DataDBManager;

// The server's person records against the local people. A record is written unless it
// changes nothing, or the person was changed here after the server's change: then the local
// person is sent back instead. Also stores the server's id of a person sent from here.
class PersonRecords
{
public:
    using SendBack = std::function<void(const PersonData &)>;

    PersonRecords(DataDBManager *db, SendBack sendBack);

    // With replace the list names everybody: whoever it does not name is deleted.
    void apply(const PersonSynDataList &list, bool replace, ApplyRun &run);
    // The server confirmed the person with that number under its id.
    void confirm(uint pid, uint refId);

private:
    void applyRecord(const PersonSynData &record, QHash<int, PersonData> &local, ApplyRun &run);
    static QStringList localUidsOf(const PersonSynDataList &list,
                                   const QHash<int, PersonData> &local);

    DataDBManager *mDb;
    SendBack mSendBack;
};
