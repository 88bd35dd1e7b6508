// Loading the people model from the attendance database, and one search
// keystroke in the people list. Prints medians of several runs.

#include "attendance/ludiamodel.h"
#include "attendance/ludiaproxymodel.h"
#include "foundation/globals.h"
#include "db/datadbmanager.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {
constexpr int runs = 7;

QString randomName(QRandomGenerator &rng)
{
    QString name(8, Qt::Uninitialized);
    for (QChar &c : name)
        c = QChar(u'a' + rng.bounded(26));
    name[0] = name[0].toUpper();
    return name;
}

// Writes the people through a connection of its own, in one transaction.
void fillPeople(int count)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
    db.setDatabaseName(ZepFiles::attendanceDb);
    db.open();
    db.transaction();
    QSqlQuery q(db);
    q.exec(QStringLiteral("DELETE FROM ludia"));
    q.prepare(QStringLiteral("INSERT INTO ludia (dochid, karta, meno, priez, colorGrp) "
                             "VALUES(:did, :karta, :meno, :priez, :grp)"));
    QRandomGenerator rng(42);
    for (int i = 0; i < count; ++i) {
        q.bindValue(QStringLiteral(":did"), 1000 + i);
        q.bindValue(QStringLiteral(":karta"), QString::number(rng.generate(), 16));
        q.bindValue(QStringLiteral(":meno"), randomName(rng));
        q.bindValue(QStringLiteral(":priez"), randomName(rng));
        q.bindValue(QStringLiteral(":grp"), rng.bounded(8));
        q.exec();
    }
    db.commit();
    q.finish();
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
}

double median(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// The model loader in its two steps (the database query, then filling the
// model, which the sorted proxy follows), timed apart and together.
void benchLoad(DataDBManager &db, int count)
{
    fillPeople(count);
    LudiaModel model;
    LudiaProxyModel proxy(&model); // the UI always shows the model through the proxy
    QVector<double> query, fill, total;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        QVector<PersonData> people;
        db.loadPeopleForModel(people);
        const double queried = timer.nsecsElapsed() / 1e6;
        model.setPeople(std::move(people));
        proxy.rowCount(); // the proxy sorts when a view first asks for its rows
        const double done = timer.nsecsElapsed() / 1e6;
        query << queried;
        fill << done - queried;
        total << done;
    }
    std::printf("load %6d people: median %7.1f ms (query %6.1f ms, model and sorted proxy "
                "%6.1f ms) over %d runs; goal for 100000: < 500 ms\n",
                model.rowCount(),
                median(total),
                median(query),
                median(fill),
                runs);
}

void benchKeystroke(DataDBManager &db, int count)
{
    fillPeople(count);
    LudiaModel model;
    LudiaProxyModel proxy(&model);
    model.reload(&db);
    // Typing a surname and deleting it again, one keystroke at a time.
    const QStringList texts { "a", "an", "ana", "an", "a", "", "1", "12", "1", "" };
    QVector<double> times;
    double worst = 0;
    for (int run = 0; run < runs; ++run) {
        for (const QString &text : texts) {
            QElapsedTimer timer;
            timer.start();
            proxy.setFilterText(text);
            proxy.rowCount(); // the proxy rebuilds its rows when a view asks for them
            const double ms = timer.nsecsElapsed() / 1e6;
            times << ms;
            worst = std::max(worst, ms);
        }
    }
    std::printf("filter keystroke over %d people: median %.2f ms, worst %.2f ms over %d "
                "keystrokes (goal: < 16 ms)\n",
                count,
                median(times),
                worst,
                times.size());
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    Zep::debugLevel = 0;
    QTemporaryDir dir;
    if (!dir.isValid() || !QDir::setCurrent(dir.path()))
        return 1;
    DataDBManager db(ZepFiles::attendanceDb);
    benchLoad(db, 10000);
    benchLoad(db, 100000);
    benchKeystroke(db, 10000);
    return 0;
}
