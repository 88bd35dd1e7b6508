#include "sync/dbsync.h"

#include "attendance/preruseniemodel.h"
#include "foundation/globals.h"
#include "foundation/zepsettings.h"
#include "db/datadbmanager.h"
#include "db/zepdbmanager.h"
#include "sync/applyrun.h"
#include "sync/syncmask.h"

#include <QDebug>
#include <QTimer>

namespace {
using ChangeLists::typeText;

QString interText(const InterSynData &inter)
{
    return QStringLiteral("%1|%2|%3-%4|%5")
        .arg(inter.id)
        .arg(inter.name, inter.shortcut, typeText(inter.type))
        .arg(inter.tsc);
}
} // namespace

DBSync::DBSync(ZepDBManager *zepDb,
               DataDBManager *db,
               PrerusenieModel *model,
               ZEPSettings *settings,
               QObject *parent)
    : QObject(parent)
    , mZepDb(zepDb)
    , mDb(db)
    , mModel(model)
    , mSettings(settings)
    , mPeople(db, [this](const PersonData &person) { emit sigPersonUpdated(person); })
{
    // A modulo divisor of the minute count.
    mPrerusInterval = qMax(1u, mSettings->value(Setting::typesRefresh).toUInt());

    connect(mDb, &DataDBManager::sigPrerusenieZapisane, this, &DBSync::doIncPrerusCount);
}

void DBSync::doSync()
{
    ++mSyncCounter;
    if (Zep::debugLevel >= 1)
        qDebug("DBSync::doSync(): %u", mSyncCounter);
    if (Zep::debugLevel >= 2)
        qDebug("DBSync: mPrerusInterval = %u, mPrerusCount = %u", mPrerusInterval, mPrerusCount);

    if (mSyncCounter % mPrerusInterval == 0 && mPrerusCount != 0)
        doObnovPrerusenia(true);

    if (mServerState != ServerOnline) {
        if (Zep::debugLevel >= 1)
            qDebug("DBSync::doSync() - skipping (server state: %u)", uint(mServerState));
        return;
    }

    if (!mInitialCheckDone) {
        mInitialCheckDone = true;
        const uint withoutRefId = mDb->getPeopleCountWithoutRefId();
        if (withoutRefId > 0) {
            emit sigWriteToLog(QStringLiteral("DBSync: count people without RefId = %1 - starting "
                                              "initiate synchronization..")
                                   .arg(withoutRefId));
            emit sendGetInters();
            emit sendGetPeople();
        }
    }

    doSyncPeople();
    if (!mBatches.isEmpty())
        doSyncBatches();
}

ApplyRun::Announce DBSync::announce()
{
    return { [this](const QString &typ) { emit syncBegin(typ); },
             [this](const QString &typ, int applied, int failed) {
                 emit syncEnd(typ, applied, failed);
             } };
}

template<typename List>
void DBSync::queue(const char *logFormat, List ChangeSet::*lists, const List &list, uint ts)
{
    if (Zep::debugLevel >= 1)
        qDebug(logFormat, uint(list.size()), ts);
    if (!list.isEmpty())
        (mBatches[ts].*lists).append(list);
}

void DBSync::onNeedSyncInters(InterSynDataList list, uint ts)
{
    queue("DBSync::onNeedSyncInters(%u, %u)", &ChangeSet::inters, list, ts);
}

void DBSync::onCompletePeople(PersonSynDataList list)
{
    queue("DBSync::onNeedSyncPeople(%u, %u)", &ChangeSet::people, list, 0);
    if (!list.isEmpty())
        mBatches[0].complete = true;
}

void DBSync::onCompleteInters(InterSynDataList list)
{
    queue("DBSync::onNeedSyncInters(%u, %u)", &ChangeSet::inters, list, 0);
    if (!list.isEmpty())
        mBatches[0].complete = true;
}

void DBSync::doFixSequence(uint maxId)
{
    mDb->fixSequence(maxId);
}

uint DBSync::unsendableEntranceCount() const
{
    return mDb->countUnsendableEntrances();
}

void DBSync::onNeedSyncPeople(PersonSynDataList list, uint ts)
{
    queue("DBSync::onNeedSyncPeople(%u, %u)", &ChangeSet::people, list, ts);
}

void DBSync::onNeedSyncSaldo(SaldoSynDataList list, uint ts)
{
    queue("DBSync::SaldoSynDataList(%u, %u)", &ChangeSet::saldo, list, ts);
}

void DBSync::onNeedSyncPresent(PresentSynDataList list, uint ts)
{
    queue("DBSync::PresentSynDataList(%u, %u)", &ChangeSet::present, list, ts);
}

void DBSync::onNeedSyncGrp(GrpSynDataList list, uint ts)
{
    queue("DBSync::GrpSynDataList(%u, %u)", &ChangeSet::grp, list, ts);
}

void DBSync::onNeedSyncZones(ZoneSynDataList list, uint ts)
{
    queue("DBSync::onNeedSyncZones(%u, %u)", &ChangeSet::zones, list, ts);
}

void DBSync::onNeedSyncPZT(PZTSynDataList list, uint ts)
{
    queue("DBSync::onNeedSyncPZT(%u, %u)", &ChangeSet::pzt, list, ts);
}

void DBSync::doSyncItems(bool force)
{
    if (Zep::debugLevel >= 1)
        qDebug("DBSync::doSyncItems(%i)", force);
    if (force) {
        if (mBatches.isEmpty())
            mBatches.insert(0, Batch());
        // The lists gathered since the last reply belong to this forced run.
        for (Batch &batch : mBatches)
            batch.force = true;
    }
    // Once the reply that ends here has been handled; waiting longer only delays the list.
    QTimer::singleShot(0, this, &DBSync::doSyncBatches);
}

void DBSync::doSyncBatches()
{
    if (Zep::debugLevel >= 1)
        qDebug("DBSync::doSyncBatches()");
    // Applying lets events through; a run started meanwhile would nest inside this one, which
    // already takes every batch added until the map is empty.
    if (mApplying)
        return;
    mApplying = true;
    try {
        while (!mBatches.isEmpty()) {
            const auto first = mBatches.begin();
            const uint ts = first.key();
            const Batch batch = first.value();
            // Removed before applying, so that a failure inside does not repeat it.
            mBatches.erase(first);
            mForce = batch.force;
            applyBatch(ts, batch);
        }
    } catch (...) {
        qCritical("DBSync::doSyncBatches() - FAILURE!");
    }
    mForce = false;
    mApplying = false;
}

void DBSync::applyBatch(uint ts, const Batch &batch)
{
    // A complete list replaces the local data (through its keep list); a forced run without a
    // list, or a reply without a usable server time, never does.
    const bool force = batch.force;
    const bool replace = batch.complete || force;

    if (force || !batch.inters.isEmpty()) {
        const bool committed = applyStep([&] {
            mForce = replace;
            doSyncInters(batch.inters);
        });
        confirm(ts, SyncMask::Inters, committed);
    }

    if (force || !batch.people.isEmpty()) {
        const bool committed = applyStep([&] {
            mForce = replace;
            doSyncPeople(batch.people);
        });
        confirm(ts, SyncMask::People, committed);
    }

    mForce = force;
    if (force || !batch.saldo.isEmpty())
        confirm(ts, SyncMask::Saldo, applyStep([&] { doSyncSaldo(batch.saldo); }));

    if (force || !batch.present.isEmpty())
        confirm(ts, SyncMask::Present, applyStep([&] { doSyncPresent(batch.present); }));

    if (force || !batch.grp.isEmpty())
        confirm(ts, SyncMask::Grp, applyStep([&] { doSyncGrp(batch.grp); }));

    if (force || !batch.zones.isEmpty() || !batch.pzt.isEmpty()) {
        const bool committed = applyStep([&] {
            // Links hang on zones: only both lists together replace them.
            if (replace && !batch.zones.isEmpty() && !batch.pzt.isEmpty())
                mDb->deleteAllZones();
            if (!batch.zones.isEmpty())
                doSyncZones(batch.zones);
            if (!batch.pzt.isEmpty())
                doSyncPZT(batch.pzt);
        });
        confirm(ts, SyncMask::Zones, committed);
    }
}

template<typename Apply> bool DBSync::applyStep(Apply apply)
{
    mCommitFailed = false;
    apply();
    return !mCommitFailed;
}

void DBSync::confirm(uint ts, ushort flag, bool committed)
{
    // Without a server time there is nothing the server could clear.
    if (committed && ts != 0)
        emit sigDeleteSyncFlags(ts, flag);
}

void DBSync::doSyncInters(InterSynDataList list)
{
    if (Zep::debugLevel >= 1)
        qDebug("DBSync::doSyncInters() count: %u", uint(list.size()));
    if (!mForce && list.isEmpty())
        return;

    QHash<uint, PrerusenieData> stored;
    mZepDb->loadInters(stored);

    ApplyRun run(QStringLiteral("inters"), mZepDb, announce(), &mCommitFailed);
    QList<uint> keep;
    bool changed = false;
    for (const InterSynData &inter : qAsConst(list)) {
        switch (inter.type.toLatin1()) {
        case 'I':
        case 'U':
        case 'F': {
            if (mForce || inter.type == QLatin1Char('F'))
                keep.append(inter.id);
            const auto it = stored.constFind(inter.id);
            if (it != stored.constEnd() && it->nazov == inter.name
                && it->skratka == inter.shortcut) {
                run.skipped();
            } else if (mZepDb->syncPrerus(PrerusenieData(inter.id, inter.name, inter.shortcut))
                       < 0) {
                qCritical() << "FAILED: zepDBMan->syncInter(" << interText(inter) << ")";
                run.failed();
            } else {
                changed = true;
                run.applied();
            }
            break;
        }
        case 'D':
            if (mZepDb->delPrerus(inter.id)) {
                changed = true;
                run.applied();
            } else {
                run.failed();
            }
            break;
        default:
            qWarning("DBSync::doSyncPrerus() unsupported sync type: '%s'!",
                     qPrintable(typeText(inter.type)));
            run.skipped();
        }
    }
    if (!keep.isEmpty() && mZepDb->delOtherPrerus(keep))
        changed = true;
    run.finish();

    if (changed || (mForce && keep.isEmpty()))
        mModel->reload(mZepDb);
}

void DBSync::doSyncPeople(PersonSynDataList list)
{
    if (Zep::debugLevel >= 1)
        qDebug("DBSync::doSyncPeople(PersonSynDataList) - count: %u", uint(list.size()));
    ApplyRun run(QStringLiteral("people"), mDb, announce(), &mCommitFailed);
    // A forced or complete list names everybody.
    mPeople.apply(list, mForce, run);
    run.finish();
}

template<typename Record, typename Write>
void DBSync::applyPersonValues(const QString &typ,
                               const QList<Record> &list,
                               Write write,
                               const char *failure)
{
    ApplyRun run(typ, mDb, announce(), &mCommitFailed);
    for (const Record &record : list) {
        if (record.uid == 0) {
            // Every person the server has not confirmed yet has refId 0.
            qWarning("DBSync: %s record without a server id skipped", qPrintable(typ));
            run.skipped();
        } else if (write(record)) {
            run.applied();
        } else {
            qWarning(failure, record.uid);
            run.failed();
        }
    }
    run.finish();
}

void DBSync::doSyncSaldo(SaldoSynDataList list)
{
    if (Zep::debugLevel >= 1)
        qDebug("DBSync::doSyncClovek() - count: %u", uint(list.size()));
    applyPersonValues(
        QStringLiteral("saldo"),
        list,
        [this](const SaldoSynData &r) {
            return mDb->updatePersonSaldo(r.uid, Balance::storedHours(r.saldo));
        },
        "DBSync: Update saldo on person with refId %u FAILED!");
}

void DBSync::doSyncPresent(PresentSynDataList list)
{
    if (Zep::debugLevel >= 1)
        qDebug("DBSync::doSyncPresent() - count: %u", uint(list.size()));
    applyPersonValues(
        QStringLiteral("present"),
        list,
        [this](const PresentSynData &r) { return mDb->updatePersonPresent(r.uid, r.present); },
        "DBSync: Update present on person with refId %u FAILED!");
}

void DBSync::doSyncGrp(GrpSynDataList list)
{
    if (Zep::debugLevel >= 1)
        qDebug("DBSync::doSyncGrp() - count: %u", uint(list.size()));
    applyPersonValues(
        QStringLiteral("grp"),
        list,
        [this](const GrpSynData &r) { return mDb->updatePersonColorGrp(r.uid, r.grp); },
        "DBSync: Update colorGroup on person with refId %u FAILED!");
}

void DBSync::doSyncZones(ZoneSynDataList list)
{
    if (Zep::debugLevel >= 1)
        qDebug("DBSync::doSyncZones() - count: %u", uint(list.size()));
    ApplyRun run(QStringLiteral("zones"), mDb, announce(), &mCommitFailed);
    for (const ZoneSynData &record : qAsConst(list)) {
        const char type = record.type.toLatin1();
        if (type != 'I' && type != 'U') {
            qWarning("DBSync::doSyncZones() sync type '%s' is not supported!",
                     qPrintable(typeText(record.type)));
            run.skipped();
            continue;
        }
        ZoneData zone;
        zone.zid = record.id;
        zone.days = record.days;
        zone.from_time = record.from_time;
        zone.to_time = record.to_time;
        zone.status = record.status;
        if (mDb->getZone(record.id).zid == 0) {
            if (mDb->addZone(zone)) {
                run.applied();
            } else {
                qWarning("DBSync: Insert zone '%s' FAILED!", qPrintable(record.toString()));
                run.failed();
            }
        } else if (mDb->updateZone(zone)) {
            run.applied();
        } else {
            qWarning("DBSync: Update zone '%s' FAILED!", qPrintable(record.toString()));
            run.failed();
        }
    }
    run.finish();
}

void DBSync::doSyncPZT(PZTSynDataList list)
{
    if (Zep::debugLevel >= 1)
        qDebug("DBSync::doSyncPZT() - count: %u", uint(list.size()));
    ApplyRun run(QStringLiteral("pzt"), mDb, announce(), &mCommitFailed);
    for (const PZTSynData &link : qAsConst(list)) {
        if (link.uid == 0) {
            qWarning("DBSync: pzt record '%s' without a server id skipped",
                     qPrintable(link.toString()));
            run.skipped();
            continue;
        }
        const PersonData person = mDb->loadPersonByRefId(link.uid);
        if (person.uid == 0) {
            qWarning("DBSync: Person with refId %u NOT FOUND - synchronization of PZT can not "
                     "continue!",
                     link.uid);
            run.failed();
            continue;
        }
        switch (link.type.toLatin1()) {
        case 'I':
            if (mDb->addPZT(link.zid, uint(person.uid))) {
                run.applied();
            } else {
                qWarning("DBSync: Insert pzt '%s' FAILED!", qPrintable(link.toString()));
                run.failed();
            }
            break;
        case 'D':
            if (mDb->deletePZT(uint(person.uid), link.zid)) {
                run.applied();
            } else {
                qWarning("DBSync: Delete PZT '%s' FAILED!", qPrintable(link.toString()));
                run.failed();
            }
            break;
        default:
            qWarning("DBSync::doSyncPZT() sync type '%s' is not supported!",
                     qPrintable(typeText(link.type)));
            run.skipped();
        }
    }
    run.finish();
}

void DBSync::doSyncPeople()
{
    QList<PersonData> people;
    if (!mDb->nacitajLudi(people, true)) {
        qWarning("DBSync::doSyncPeople() - loadPeople FAILED!");
        return;
    }
    if (people.isEmpty())
        return;
    emit syncBegin(QStringLiteral("people"));
    if (Zep::debugLevel >= 1)
        qDebug("DBSync::doSyncPeople() count: %u", uint(people.size()));
    for (const PersonData &person : qAsConst(people))
        emit sigPersonUpdated(person);
    emit syncEnd(QStringLiteral("people"), people.size(), 0);
}

void DBSync::doSetPersonSyn(uint pid, uint refId)
{
    mPeople.confirm(pid, refId);
}

void DBSync::doObnovPrerusenia(bool canEmit)
{
    if (Zep::debugLevel >= 1)
        qDebug("DBSync::doObnovPrerusenia");
    if (canEmit)
        emit syncBegin(QStringLiteral("inters"));
    mModel->reload(mZepDb);
    mPrerusCount = 0;
    if (canEmit)
        emit syncEnd(QStringLiteral("inters"), 0, 0);
}

void DBSync::srvChangedState(ServerState status)
{
    mServerState = status;
}

void DBSync::doIncPrerusCount()
{
    ++mPrerusCount;
}
