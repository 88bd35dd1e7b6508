// Records one entrance into "./data.db" in the working directory for each line read from
// standard input and prints "<outcome> <id>" for it (outcome 0 not recorded, 1 recorded,
// 2 undecided). Run under "fiu-run -x", a line naming a failure point ("posix/io/sync/fsync")
// records the entrance while every call of that point fails with EIO.
#include "foundation/globals.h"
#include "db/datadbmanager.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstdio>
#include <dlfcn.h>
#include <iostream>
#include <string>

namespace {
// libfiu's control functions, found in the process when fiu-run preloads it.
using FiuEnable = int (*)(const char *, int, void *, unsigned int);
using FiuDisable = int (*)(const char *);
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    Zep::debugLevel = 0;
    const auto fiuEnable = reinterpret_cast<FiuEnable>(::dlsym(RTLD_DEFAULT, "fiu_enable"));
    const auto fiuDisable = reinterpret_cast<FiuDisable>(::dlsym(RTLD_DEFAULT, "fiu_disable"));
    DataDBManager db(ZepFiles::attendanceDb, true);
    std::printf("ready\n");
    std::fflush(stdout);
    std::string failurePoint;
    for (uint n = 1; std::getline(std::cin, failurePoint); ++n) {
        const bool failing = !failurePoint.empty();
        if (failing && (!fiuEnable || !fiuDisable))
            return 2;
        if (failing)
            fiuEnable(failurePoint.c_str(), 1, reinterpret_cast<void *>(long(EIO)), 0);
        const EntranceWrite written
            = db.recordEntrance(1, 1, QStringLiteral("CARD%1").arg(n), 0, n, 0);
        if (failing)
            fiuDisable(failurePoint.c_str());
        std::printf("%d %d\n", int(written.outcome), written.id);
        std::fflush(stdout);
    }
    return 0;
}
