#include "db/datadbmanager.h"

DataDBManager::DataDBManager(const QString &dbFileName, bool openAtOnce, QObject *parent)
    : AttendanceDatabase(dbFileName, openAtOnce, parent)
{
    // Relayed in the emitting thread, as the stores emit them.
    const auto relay = [this](auto signal, auto store, auto relayed) {
        connect(store, signal, this, relayed, Qt::DirectConnection);
    };
    relay(
        &EntranceStore::sigPrerusenieZapisane, &mEntrances, &DataDBManager::sigPrerusenieZapisane);
    relay(&PeopleStore::sigPridajCloveka, &mPeople, &DataDBManager::sigPridajCloveka);
    relay(&PeopleStore::sigPersonCreated, &mPeople, &DataDBManager::sigPersonCreated);
    relay(&PeopleStore::sigUpravCloveka, &mPeople, &DataDBManager::sigUpravCloveka);
    relay(&PeopleStore::sigPersonUpdated, &mPeople, &DataDBManager::sigPersonUpdated);
    relay(&PeopleStore::sigZmazCloveka, &mPeople, &DataDBManager::sigZmazCloveka);
    relay(&PeopleStore::sigPersonDeleted, &mPeople, &DataDBManager::sigPersonDeleted);
    relay(&PeopleStore::sigSync, &mPeople, &DataDBManager::sigSync);
}
