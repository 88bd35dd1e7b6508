#include "tests/support/databasesandbox.h"

#include "db/datadbmanager.h"
#include "db/zepdbmanager.h"
#include "foundation/globals.h"
#include "foundation/zepsettings.h"

DatabaseSandbox::DatabaseSandbox()
    : mSettings(std::make_unique<ZEPSettings>(ZepFiles::settingsFile))
{
}

DatabaseSandbox::~DatabaseSandbox() = default;

ZepDBManager &DatabaseSandbox::catalogue()
{
    if (!mCatalogue)
        mCatalogue = std::make_unique<ZepDBManager>(ZepFiles::catalogueDb);
    return *mCatalogue;
}

DataDBManager &DatabaseSandbox::attendance()
{
    if (!mAttendance) {
        mSettings->sync();
        mAttendance = std::make_unique<DataDBManager>(ZepFiles::attendanceDb);
    }
    return *mAttendance;
}
