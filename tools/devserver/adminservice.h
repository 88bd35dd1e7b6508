#pragma once

#include "devserver/devexchange.h"

class ConnectionRefusal;
class DevCatalogue;
class DevDatabase;
class EntranceStore;
class FaultInjector;
class RequestJournal;
class ServerBehaviour;
class TerminalStore;

// Routes below "/admin/" for tests and developers, answered to loopback clients only:
// read what the server received, change its data and behaviour between syncs, inject
// faults.
class AdminService
{
public:
    struct Components
    {
        DevDatabase &db;
        DevCatalogue &catalogue;
        TerminalStore &terminals;
        EntranceStore &entrances;
        FaultInjector &faults;
        ConnectionRefusal &refusal;
        RequestJournal &journal;
        ServerBehaviour &behaviour;
    };

    explicit AdminService(Components components);

    static bool handles(const QString &path);
    DevResponse handle(const DevRequest &request);

private:
    DevResponse route(const DevRequest &request, const QString &what);

    Components mC;
};
