#include "sync/personrecords.h"

#include "foundation/clock.h"
#include "foundation/globals.h"
#include "db/datadbmanager.h"
#include "sync/applyrun.h"

#include <QDateTime>
#include <QDebug>

#include <cmath>

namespace {
// The value a person's syn column gets when it matches the server: its change time, never 0,
// because 0 marks a person still to be sent.
int synMark(uint tsc)
{
    return tsc != 0 ? int(tsc) : 1;
}

uint now()
{
    return uint(Clock::instance()->secsSinceEpoch());
}

// The local person with the server's values; local-only fields (presence, the other balances,
// fingerprints) stay as they are.
PersonData mergedPerson(const PersonData &local, const PersonSynData &server)
{
    PersonData person = local;
    person.dochid = int(server.pid);
    person.refId = server.uid;
    person.karta = server.card;
    person.meno = server.name;
    person.priez = server.surname;
    person.titul = server.title;
    person.admin = server.admin ? 1 : 0;
    person.saldo1 = Balance::storedHours(server.saldo);
    person.acc = server.access;
    person.colorGrp = quint8(server.grp);
    person.del = false;
    return person;
}

bool samePerson(const PersonData &a, const PersonData &b)
{
    return a.dochid == b.dochid && a.karta == b.karta && a.meno == b.meno && a.priez == b.priez
        && a.titul == b.titul && a.admin == b.admin && std::abs(a.saldo1 - b.saldo1) < 1e-9
        && a.acc == b.acc && a.colorGrp == b.colorGrp && a.refId == b.refId && !a.del;
}

} // namespace

PersonRecords::PersonRecords(DataDBManager *db, SendBack sendBack)
    : mDb(db)
    , mSendBack(std::move(sendBack))
{
}

void PersonRecords::apply(const PersonSynDataList &list, bool replace, ApplyRun &run)
{
    // One read of the local people instead of one lookup per record; it is kept up to date with
    // every record written, and so also tells who of the list is here.
    QHash<int, PersonData> local;
    const bool localRead = mDb->loadPeopleToCompare(local);

    for (const PersonSynData &person : list)
        applyRecord(person, local, run);
    // Without a list nobody is gone; without the local people read whole, nobody is known gone.
    if (replace && !list.isEmpty() && localRead)
        mDb->delAllPeople(localUidsOf(list, local));
}

void PersonRecords::applyRecord(const PersonSynData &record,
                                QHash<int, PersonData> &local,
                                ApplyRun &run)
{
    const char type = record.type.toLatin1();
    const int dochid = int(record.pid);
    if (Zep::debugLevel >= 2)
        qDebug("DBSync - synchronizing person: %s %s %s uid=%u, pid=%u, sync type: %s",
               qPrintable(record.title),
               qPrintable(record.name),
               qPrintable(record.surname),
               record.uid,
               record.pid,
               qPrintable(ChangeLists::typeText(record.type)));

    // Stored as refId 0, the person would pass for one created here and not yet confirmed.
    if (record.uid == 0) {
        qWarning("DBSync: person record without a server id skipped (pid=%u)", record.pid);
        run.skipped();
        return;
    }
    auto found = local.find(dochid);

    switch (type) {
    case 'I':
    case 'U':
    case 'F': {
        if (found == local.end()) {
            PersonData person = mergedPerson(PersonData(), record);
            person.syn = synMark(record.tsc);
            // The index holds every person not deleted: the number is free.
            person.uid = int(mDb->insertPerson(person));
            if (person.uid != 0) {
                local.insert(dochid, person);
                run.applied();
                return;
            }
            // A person deleted here keeps the number: the server's record revives it.
            person = mergedPerson(mDb->nacitajCloveka(record.pid, true, true), record);
            person.syn = synMark(record.tsc);
            if (person.uid != 0 && mDb->updatePerson(person, false)) {
                local.insert(dochid, person);
                run.applied();
                return;
            }
            qCritical() << "FAILED: dbMan->pridajCloveka(" << person.debugText() << ")";
            run.failed();
            return;
        }
        PersonData server = mergedPerson(*found, record);
        server.syn = synMark(record.tsc);
        if (samePerson(*found, server)) {
            // Unchanged, also in complete lists: rewriting it would only make the local copy
            // look newer than the server's and send it back.
            if (Zep::debugLevel >= 3)
                qDebug() << "Ludia s pid" << record.pid << "su rovnaki";
            run.skipped();
        } else if (found->updated > record.tsc) {
            // Changed here after the server's change: ours goes to the server instead, whole.
            mSendBack(mDb->nacitajCloveka(uint(found->uid), false, false));
            run.skipped();
        } else if (mDb->updatePersonChanges(*found, server)) {
            *found = std::move(server);
            run.applied();
        } else {
            qCritical() << "FAILED: dbMan->upravCloveka(" << server.debugText() << ")";
            run.failed();
        }
        return;
    }
    case 'D':
        // A person created here and not confirmed yet is not the one the server deletes.
        if (found == local.end() || found->refId == 0) {
            run.skipped();
        } else if (mDb->deletePerson(uint(found->uid), false)) {
            local.erase(found);
            run.applied();
        } else {
            qCritical() << "FAILED: dbMan->zmazCloveka(" << found->debugText() << ")";
            run.failed();
        }
        return;
    default:
        qWarning() << "DBSync: Unsupported PersonSynData.type:" << record.type;
        run.skipped();
    }
}

QStringList PersonRecords::localUidsOf(const PersonSynDataList &list,
                                       const QHash<int, PersonData> &local)
{
    QStringList kept;
    kept.reserve(list.size());
    for (const PersonSynData &person : list) {
        const auto it = local.constFind(int(person.pid));
        if (it != local.constEnd())
            kept.append(QString::number(it->uid));
    }
    return kept;
}

void PersonRecords::confirm(uint pid, uint refId)
{
    PersonData person = mDb->nacitajCloveka(pid, true, false);
    bool ok = person.uid != 0;
    if (ok) {
        person.refId = refId;
        person.updated = now();
        // Confirmed: no longer one of the people to push.
        person.syn = synMark(person.updated);
        ok = mDb->updatePerson(person, false);
    }
    if (!ok)
        qCritical() << "DBSync::doSetPersonSyn(" << pid << refId << "): FAILURE";
    else if (Zep::debugLevel >= 2)
        qDebug() << "DBSync::doSetPersonSyn(" << pid << refId << "): OK";
}
