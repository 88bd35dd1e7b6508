#pragma once

#include "devserver/devexchange.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QStringList>

class DevCatalogue;
class DevDatabase;
class EntranceStore;
class RequestAuthenticator;
class ServerBehaviour;
class SyncConfirmations;
class SyncListBuilder;
class TerminalStore;
struct ServerConfig;

// Answers the terminal's synchronisation requests below "/zepsync/": every reply is the
// JSON envelope with "err", "request", "ver", "st" and "res"; an error sets the HTTP
// status to the same code.
class ProtocolService
{
public:
    struct Components
    {
        DevDatabase &db;
        DevCatalogue &catalogue;
        TerminalStore &terminals;
        EntranceStore &entrances;
        SyncConfirmations &confirmations;
        SyncListBuilder &syncLists;
        const RequestAuthenticator &authenticator;
        const ServerConfig &config;
        const ServerBehaviour &behaviour;
    };

    explicit ProtocolService(Components components);

    static bool handles(const QString &path);
    DevResponse handle(const DevRequest &request);

private:
    struct Call
    {
        QString method;
        QStringList segments; // operation path split at "/"
        QJsonObject body;
        uint term = 0; // terminal named by the key, when the operation has one
        bool hasPair = false; // an identifier pair follows the key
        uint first = 0;
        uint second = 0;
        uint st = 0;
    };
    struct Result
    {
        int err = 0;
        QJsonValue res;
        QJsonObject extra; // further envelope keys
        static Result error(int code, const QString &message) { return { code, message, {} }; }
    };

    Result dispatch(Call &call);
    bool resolveTerminal(Call &call, Result &failure) const;

    Result getSync(const Call &call);
    Result confirmSync(const Call &call);
    Result registerTerminal(const Call &call);
    Result updateTerminal(const Call &call);
    Result getPeople(const Call &call);
    Result savePerson(const Call &call, uint refId);
    Result deletePerson(const Call &call);
    Result getInters(const Call &call);
    Result addEntrance(const Call &call);
    Result deleteEntrance(const Call &call);

    Components mC;
};
