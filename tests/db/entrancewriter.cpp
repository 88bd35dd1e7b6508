// Records entrances into "./data.db" in the working directory until it is
// killed, printing the id of each entrance as soon as it is recorded.
#include "foundation/globals.h"
#include "db/datadbmanager.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    Zep::debugLevel = 0;
    DataDBManager db(ZepFiles::attendanceDb, true);
    for (uint n = 0;; ++n) {
        const int id
            = db.zapisPrerusenie(n % 5 + 1, n % 2, QStringLiteral("CARD%1").arg(n), 0, n, 0);
        if (id <= 0)
            return 1;
        std::printf("%d\n", id);
        std::fflush(stdout);
    }
}
