#pragma once

#include "tests/support/workdir.h"

#include <memory>

class DataDBManager;
class ZEPSettings;
class ZepDBManager;

// A working folder holding the terminal's settings and databases, made in the order
// the terminal makes them and closed in reverse. The databases open at their first
// use, so a test may write the settings they read first.
class DatabaseSandbox
{
public:
    DatabaseSandbox();
    ~DatabaseSandbox();

    bool isValid() const { return mDir.isValid(); }
    QString path() const { return mDir.path(); }
    ZEPSettings &settings() { return *mSettings; }
    ZepDBManager &catalogue();
    DataDBManager &attendance();

private:
    WorkDir mDir;
    std::unique_ptr<ZEPSettings> mSettings;
    std::unique_ptr<ZepDBManager> mCatalogue;
    std::unique_ptr<DataDBManager> mAttendance;
};
