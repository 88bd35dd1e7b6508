// The terminal's databases, sync protocol, applier and entrance recording, wired as the
// controller wires them, driven by one command per line on stdin:
//   record <dochid> <iid> <direction>  -> ok <entrance id> <time>
//   delete                             -> ok | fail   (the entrance last recorded)
//   addperson <dochid> <surname>       -> ok | fail
//   editperson <dochid> <surname>      -> ok | fail
//   sync [force]                       -> ok <server state>
//   upload                             -> ok
//   unsent                             -> ok <ids of entrances not yet uploaded>
//   drain <rounds> [held ids]          -> ok <entrances left unsent> <people left unconfirmed>
//                                         (entrances the server refused and the terminal may
//                                         still hold back are neither waited for nor counted)
//   quit                               -> ok, then a normal exit
// Usage: sync_modelterminal <server port>, in the terminal's working directory.
#include "attendance/clovek.h"
#include "attendance/ludiamodel.h"
#include "attendance/managerludi.h"
#include "attendance/managerpreruseni.h"
#include "attendance/preruseniemodel.h"
#include "foundation/debuglog.h"
#include "foundation/globals.h"
#include "foundation/happensbefore.h"
#include "foundation/zepsettings.h"
#include "db/datadbmanager.h"
#include "db/zepdbmanager.h"
#include "sync/applierwiring.h"
#include "sync/asyncpinger.h"
#include "sync/changelists.h"
#include "sync/dbsync.h"
#include "sync/entranceuploader.h"
#include "sync/syncthread.h"
#include "sync/tuldbmanager.h"
#include "sync/zepsynclient.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QSocketNotifier>
#include <QStringList>

#include <cstdio>
#include <functional>
#include <unistd.h>

namespace {

// Runs the event loop until `done` holds or `ms` passed; the result is `done()`.
bool waitUntil(const std::function<bool()> &done, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    return done();
}

class ModelTerminal
{
public:
    explicit ModelTerminal(quint16 port)
        : mSettings(QStringLiteral("zep.ini"))
    {
        mSettings.setValue(QStringLiteral("serverKLD/ip"), QStringLiteral("127.0.0.1"));
        mSettings.setValue(QStringLiteral("serverKLD/port"), port);
        mSettings.setValue(QStringLiteral("global/takePhoto"), false);
        mSettings.setValue(QStringLiteral("timeout/intersSyncInterval"), 1);

        mZepDb = std::make_unique<ZepDBManager>(ZepFiles::catalogueDb);
        mDataDb = std::make_unique<DataDBManager>(ZepFiles::attendanceDb, true);
        mTerm.tid = 7;
        mZepDb->loadTerminal(mTerm);
        mTerm.tid = 7;

        mProtocol = std::make_unique<TulDbManager>(&mSettings);
        QObject::connect(mProtocol.get(), &TulDbManager::terminalRegistered, [this](uint id) {
            mTerm.refId = int(id);
            mZepDb->saveTerminal(mTerm);
            mProtocol->setTermData(mTerm);
        });
        QObject::connect(mProtocol.get(), &TulDbManager::syncTermData, [this] {
            mProtocol->setTermData(mTerm);
        });
        mProtocol->setMac(QStringLiteral("02:00:00:00:00:07"));
        mProtocol->setTermData(mTerm);
        mProtocol->loadSettings();
        mProtocol->client()->setTransferTimeout(3000);
        mProtocol->probe()->setTimeout(1000);

        QObject::connect(mDataDb.get(),
                         &DataDBManager::sigPersonCreated,
                         mProtocol.get(),
                         &TulDbManager::sendAddPerson);
        QObject::connect(mDataDb.get(),
                         &DataDBManager::sigPersonUpdated,
                         mProtocol.get(),
                         &TulDbManager::sendUpdatePerson);
        QObject::connect(mDataDb.get(),
                         &DataDBManager::sigPersonDeleted,
                         mProtocol.get(),
                         &TulDbManager::sendDeletePerson);
        if (mDataDb->wasCreated() || mDataDb->getPeopleCount() == 0
            || mZepDb->getIntersCount() == 0)
            mProtocol->setForceSync(true);

        mApplier = std::make_unique<DBSync>(mZepDb.get(), mDataDb.get(), &mInters, &mSettings);
        ApplierWiring::connect(mProtocol.get(), mApplier.get());
        mUploader = std::make_unique<EntranceUploader>(mProtocol.get(), mDataDb.get(), &mSettings);
        mUploader->syncThread()->setPauseMs(5);

        mEntrances = std::make_unique<ManagerPreruseni>(
            nullptr, &mClovek, mDataDb.get(), &mSettings, mZepDb.get());
        QObject::connect(mEntrances.get(),
                         &ManagerPreruseni::sigAddEntrance,
                         mUploader.get(),
                         &EntranceUploader::addEntrance);
        QObject::connect(mEntrances.get(),
                         &ManagerPreruseni::sigDeleteEntrance,
                         mUploader.get(),
                         &EntranceUploader::sendDeleteEntrance);
        mPeopleManager = std::make_unique<ManagerLudi>(&mPeople, mDataDb.get());
        mProtocol->init();
    }

    ~ModelTerminal()
    {
        mUploader->doTerminate();
        HappensBefore::wait(mUploader->syncThread(), 10000);
    }

    QString handle(const QStringList &words)
    {
        const QString command = words.value(0);
        if (command == QLatin1String("record"))
            return record(
                words.value(1).toUInt(), words.value(2).toUInt(), words.value(3).toUInt());
        if (command == QLatin1String("delete"))
            return mEntrances->vymazPoslednePrerusenie() ? QStringLiteral("ok")
                                                         : QStringLiteral("fail");
        if (command == QLatin1String("addperson"))
            return result(mPeopleManager->pridajCloveka(
                words.value(1).toUInt(), QString(), QStringLiteral("Model"), words.value(2), 0));
        if (command == QLatin1String("editperson")) {
            const PersonData person = mDataDb->nacitajCloveka(words.value(1).toUInt(), true);
            return result(person.uid != 0
                          && mPeopleManager->upravCloveka(uint(person.uid),
                                                          person.dochid,
                                                          person.titul,
                                                          person.meno,
                                                          words.value(2),
                                                          person.admin));
        }
        if (command == QLatin1String("sync")) {
            if (words.value(1) == QLatin1String("force"))
                mProtocol->setForceSync(true);
            sync();
            return QStringLiteral("ok %1").arg(int(mProtocol->serverState()));
        }
        if (command == QLatin1String("upload")) {
            upload();
            return QStringLiteral("ok");
        }
        if (command == QLatin1String("unsent")) {
            QStringList ids;
            for (uint id : unsent())
                ids << QString::number(id);
            return (QStringList { QStringLiteral("ok") } + ids).join(QLatin1Char(' '));
        }
        if (command == QLatin1String("drain"))
            return drain(words.value(1).toInt(), words.mid(2));
        return QStringLiteral("fail unknown command");
    }

private:
    static QString result(bool ok) { return ok ? QStringLiteral("ok") : QStringLiteral("fail"); }

    QString record(uint dochid, uint iid, uint direction)
    {
        const int uid = mEntrances->overPIN(dochid);
        if (uid == 0)
            return QStringLiteral("fail nobody");
        if (!mEntrances->zapisPrerusenie(
                iid, QString(), QString(), direction, mClovek.get_karta(), uint(uid), dochid))
            return QStringLiteral("fail");
        // The screen shows the entrance just recorded, which may then be deleted.
        mEntrances->poslednePrerusenie(uint(uid));
        const EntranceData last = mDataDb->nacitajPoslednePrerusenie(uint(uid));
        return QStringLiteral("ok %1 %2").arg(last.id).arg(last.time);
    }

    void sync()
    {
        bool probed = false;
        const QMetaObject::Connection connection = QObject::connect(
            mProtocol->probe(), &AsyncPinger::pingFinished, [&probed] { probed = true; });
        mProtocol->doSync();
        waitUntil([&] { return probed; }, 5000);
        QObject::disconnect(connection);
        settle();
    }

    void upload()
    {
        mApplier->doSync();
        mUploader->doSync();
        waitUntil([&] { return HappensBefore::isIdle(mUploader->syncThread()); }, 20000);
        // The entrances it handed on reach the uploader queued.
        QCoreApplication::processEvents();
        settle();
    }

    // Until every request is answered and every reply applied.
    void settle()
    {
        waitUntil(
            [&] { return mProtocol->outstandingRequests() == 0 && !mApplier->hasPendingBatches(); },
            15000);
        waitUntil([&] { return mProtocol->outstandingRequests() == 0; }, 15000);
    }

    QList<uint> unsent()
    {
        QList<EntranceData> list;
        mDataDb->nacitajPrerusenia(list, true, false);
        QList<uint> ids;
        for (const EntranceData &entrance : list)
            ids << entrance.id;
        return ids;
    }

    QString drain(int rounds, const QStringList &held)
    {
        const auto waiting = [&] {
            int count = 0;
            for (uint id : unsent())
                count += held.contains(QString::number(id)) ? 0 : 1;
            return count;
        };
        for (int round = 0; round < rounds; ++round) {
            sync();
            upload();
            if (waiting() == 0 && mDataDb->getPeopleCountWithoutRefId() == 0)
                break;
            waitUntil([] { return false; }, 200);
        }
        return QStringLiteral("ok %1 %2").arg(waiting()).arg(mDataDb->getPeopleCountWithoutRefId());
    }

    ZEPSettings mSettings;
    std::unique_ptr<ZepDBManager> mZepDb;
    std::unique_ptr<DataDBManager> mDataDb;
    TermData mTerm;
    PrerusenieModel mInters;
    LudiaModel mPeople;
    Clovek mClovek;
    std::unique_ptr<TulDbManager> mProtocol;
    std::unique_ptr<DBSync> mApplier;
    std::unique_ptr<EntranceUploader> mUploader;
    std::unique_ptr<ManagerPreruseni> mEntrances;
    std::unique_ptr<ManagerLudi> mPeopleManager;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    Zep::debugLevel = 1;
    qInstallMessageHandler(DebugLog::handler);
    ChangeLists::registerMetaTypes();
    ModelTerminal terminal(quint16(QString::fromLocal8Bit(argv[argc - 1]).toUInt()));

    QByteArray input;
    QSocketNotifier commands(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&commands, &QSocketNotifier::activated, [&] {
        commands.setEnabled(false);
        char buffer[4096];
        const ssize_t size = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (size <= 0) {
            QCoreApplication::exit(0);
            return;
        }
        input.append(buffer, int(size));
        int end;
        while ((end = input.indexOf('\n')) >= 0) {
            const QStringList words
                = QString::fromUtf8(input.left(end)).split(QLatin1Char(' '), Qt::SkipEmptyParts);
            input.remove(0, end + 1);
            if (words.value(0) == QLatin1String("quit")) {
                std::printf("ok\n");
                std::fflush(stdout);
                QCoreApplication::exit(0);
                return;
            }
            std::printf("%s\n", qPrintable(terminal.handle(words)));
            std::fflush(stdout);
        }
        commands.setEnabled(true);
    });
    return app.exec();
}
