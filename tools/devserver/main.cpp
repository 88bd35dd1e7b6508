// Development attendance server: zep-devserver --port 8088 --data <file.db> --seed <seed.json>
// [--clock-offset <ms>] [--ntph-delay <ms>] [--nagle] [--omit-unchanged-lists] [--omit-state]
// [--duplicates] [--count-uploads] [--reject-entrance <id>]
#include "common/listenaddress.h"
#include "devserver/adminservice.h"
#include "devserver/connectionrefusal.h"
#include "devserver/devcatalogue.h"
#include "devserver/devdatabase.h"
#include "devserver/devseed.h"
#include "devserver/entrancestore.h"
#include "devserver/faultinjector.h"
#include "devserver/httpfrontend.h"
#include "devserver/ntphresponder.h"
#include "devserver/protocolservice.h"
#include "devserver/requestauthenticator.h"
#include "devserver/requestjournal.h"
#include "devserver/serverbehaviour.h"
#include "devserver/syncconfirmations.h"
#include "devserver/synclistbuilder.h"
#include "devserver/terminalstore.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zep-devserver"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Development attendance server for the ZEP terminal."));
    parser.addHelpOption();
    ListenAddress address(QStringLiteral("8088"));
    const QCommandLineOption dataOption(QStringLiteral("data"),
                                        QStringLiteral("The server's SQLite file."),
                                        QStringLiteral("file"),
                                        QStringLiteral("devserver.db"));
    const QCommandLineOption seedOption(
        QStringLiteral("seed"),
        QStringLiteral("JSON seed: settings, and the data a new database starts with."),
        QStringLiteral("file"));
    const QCommandLineOption imagesOption(
        QStringLiteral("images"),
        QStringLiteral("Folder for entrance photographs (default: <data>.images)."),
        QStringLiteral("folder"));
    const QCommandLineOption clockOffsetOption(
        QStringLiteral("clock-offset"),
        QStringLiteral("Run the clock of the time exchange this many ms ahead (negative: behind)."),
        QStringLiteral("ms"),
        QStringLiteral("0"));
    const QCommandLineOption ntphDelayOption(
        QStringLiteral("ntph-delay"),
        QStringLiteral("Hold each time-exchange request back by a random 0..ms on its way in."),
        QStringLiteral("ms"),
        QStringLiteral("0"));
    const QCommandLineOption nagleOption(
        QStringLiteral("nagle"),
        QStringLiteral("Leave Nagle's algorithm on: on a kept-alive connection a reply's body "
                       "waits some 40 ms for the client's acknowledgement of its header."));
    const QCommandLineOption omitUnchangedOption(
        QStringLiteral("omit-unchanged-lists"),
        QStringLiteral("Leave lists that did not change out of a forced sync too."));
    const QCommandLineOption omitStateOption(QStringLiteral("omit-state"),
                                             QStringLiteral("Send replies without st and ver."));
    const QCommandLineOption duplicatesOption(
        QStringLiteral("duplicates"),
        QStringLiteral("Write every member and element of a reply's result twice."));
    const QCommandLineOption countUploadsOption(
        QStringLiteral("count-uploads"),
        QStringLiteral("Store every entrance upload as a row of its own; GET /admin/repeats "
                       "lists the entrances uploaded more than once."));
    const QCommandLineOption rejectOption(
        QStringLiteral("reject-entrance"),
        QStringLiteral("Refuse uploads of this local entrance id."),
        QStringLiteral("id"));
    parser.addOptions(address.options());
    parser.addOptions({ dataOption,
                        seedOption,
                        imagesOption,
                        clockOffsetOption,
                        ntphDelayOption,
                        nagleOption,
                        omitUnchangedOption,
                        omitStateOption,
                        duplicatesOption,
                        countUploadsOption,
                        rejectOption });
    parser.process(app);

    ServerBehaviour behaviour;
    behaviour.omitUnchangedLists = parser.isSet(omitUnchangedOption);
    behaviour.omitState = parser.isSet(omitStateOption);
    behaviour.duplicates = parser.isSet(duplicatesOption);
    behaviour.countUploads = parser.isSet(countUploadsOption);
    for (const QString &id : parser.values(rejectOption))
        behaviour.rejectedEntrances.insert(id.toUInt());

    if (!address.read(parser)) {
        std::fprintf(stderr, "invalid port\n");
        return 2;
    }

    bool clockOffsetOk = false;
    const qint64 clockOffset = parser.value(clockOffsetOption).toLongLong(&clockOffsetOk);
    bool ntphDelayOk = false;
    const int ntphDelay = parser.value(ntphDelayOption).toInt(&ntphDelayOk);
    if (!clockOffsetOk || !ntphDelayOk || ntphDelay < 0 || ntphDelay > 60000) {
        std::fprintf(stderr, "invalid --clock-offset or --ntph-delay\n");
        return 2;
    }

    DevSeed seed;
    if (parser.isSet(seedOption)) {
        QString error;
        if (!seed.load(parser.value(seedOption), error)) {
            std::fprintf(stderr,
                         "cannot read seed %s: %s\n",
                         qPrintable(parser.value(seedOption)),
                         qPrintable(error));
            return 2;
        }
    }
    const ServerConfig config = seed.config();

    const QString dataFile = parser.value(dataOption);
    DevDatabase db;
    if (!db.open(dataFile))
        return 1;
    DevCatalogue catalogue(db);
    if (db.isEmpty() && !(db.transaction() && seed.importInto(catalogue) && db.commit())) {
        std::fprintf(stderr, "cannot seed %s\n", qPrintable(dataFile));
        return 1;
    }

    TerminalStore terminals(db);
    EntranceStore entrances(db,
                            parser.isSet(imagesOption) ? parser.value(imagesOption)
                                                       : QFileInfo(dataFile).absoluteFilePath()
                                    + QStringLiteral(".images"));
    SyncConfirmations confirmations(db);
    SyncListBuilder syncLists(db, catalogue, confirmations, behaviour);
    RequestAuthenticator authenticator(config);
    ProtocolService protocol({ db,
                               catalogue,
                               terminals,
                               entrances,
                               confirmations,
                               syncLists,
                               authenticator,
                               config,
                               behaviour });
    FaultInjector faults;
    ConnectionRefusal refusal;
    RequestJournal journal;
    AdminService admin(
        { db, catalogue, terminals, entrances, faults, refusal, journal, behaviour });

    const NtphResponder ntph(clockOffset, ntphDelay);
    HttpFrontend frontend(protocol, admin, faults, refusal, journal, ntph);
    const int bound = frontend.start(address.host, address.port, parser.isSet(nagleOption));
    if (bound < 0) {
        std::fprintf(stderr, "cannot listen on %s:%d\n", qPrintable(address.host), address.port);
        return 1;
    }
    std::printf("listening on %s:%d\n", qPrintable(address.host), bound);
    std::fflush(stdout);
    return app.exec();
}
