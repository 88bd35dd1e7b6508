#include "db/attendancedatabase.h"

#include "foundation/globals.h"
#include "db/datademodata.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QtDebug>

#include <algorithm>

AttendanceDatabase::AttendanceDatabase(const QString &dbFileName, bool openAtOnce, QObject *parent)
    : SQLiteManager(dbFileName, openAtOnce, parent)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "Construct DataDBManager";

    if (isOpen()) {
        // Readers and writers of other threads then wait on each other less.
        QSqlQuery q(database());
        if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL")))
            qCritical() << "DataDBManager: journal_mode:" << q.lastError().text();
    }

    // A file marked with the current version has every table and step. Otherwise a
    // file without entrances is created; then step 1 is asked for and the others only
    // when their probe fails, and the file is marked once every probe succeeds.
    if (schemaVersion() == DataSchema::version())
        return;
    if (!QFileInfo(dbFileName).isFile() || !checkTable(QStringLiteral("prerusenia"))) {
        if (createDB())
            mCreated = true;
        else
            qCritical() << "create DB FAILURE!";
    }

    updateDB(1);
    const QList<DataSchema::Step> &steps = DataSchema::steps();
    for (const DataSchema::Step &step : steps) {
        if (step.step > 1 && !hasStep(step))
            updateDB(step.step);
    }
    if (std::all_of(steps.cbegin(), steps.cend(), [this](const DataSchema::Step &step) {
            return hasStep(step);
        }))
        setSchemaVersion(DataSchema::version());
}

bool AttendanceDatabase::hasStep(const DataSchema::Step &step)
{
    const QString table = QString::fromLatin1(step.table);
    return step.column ? checkColumn(table, QString::fromLatin1(step.column)) : checkTable(table);
}

AttendanceDatabase::~AttendanceDatabase()
{
    if (Zep::debugLevel >= 2)
        qDebug() << "Destruct DataDBManager";
}

bool AttendanceDatabase::createDB()
{
    if (Zep::debugLevel >= 1)
        qDebug() << "DataDBManager::createDB()";
    const QStringList &statements = DataSchema::createStatements();
    bool ok[3] = { false, false, false };
    for (int i = 0; i < statements.size(); ++i) {
        const bool done = exec(statements.at(i), {}, logStreamed()).ok;
        if (i < 3)
            ok[i] = done;
    }
    const bool result = ok[0] && ok[1] && ok[2];
    if (result) {
        database().commit();
        if (Zep::argumentLine.contains(QLatin1String("-fillDemoData")))
            fillDemoData();
    } else {
        qCritical().noquote() << "createDB FAILURE! (create table = " << (ok[0] ? "true" : "false")
                              << " create index iPid = " << (ok[1] ? "true" : "false")
                              << " create index iKarta = " << (ok[2] ? "true" : "false") << ")";
    }
    return result;
}

void AttendanceDatabase::updateDB(uint n)
{
    if (Zep::debugLevel >= 1)
        qDebug() << "DataDBManager::updateDB(" << n << ")";
    const QList<DataSchema::Step> &steps = DataSchema::steps();
    const auto step = std::find_if(
        steps.cbegin(), steps.cend(), [n](const DataSchema::Step &s) { return s.step == n; });
    // Never twice: step 2 marks the entrances of its time as uploaded.
    if (step == steps.cend() || hasStep(*step))
        return;
    if (step->debugLine && Zep::debugLevel >= 2)
        qDebug() << step->debugLine;
    const FailureLog log = logPlain(QByteArray("DataDBManager::updateDB(") + QByteArray::number(n)
                                    + ") - SQl ERROR: ");
    for (const QString &sql : step->statements) {
        if (!exec(sql, {}, log).ok)
            return;
    }
}

void AttendanceDatabase::fillDemoData()
{
    if (Zep::debugLevel >= 1)
        qDebug() << "DataDBManager::fillDemoData()";
    DataDemoData::fill(database(), !Zep::argumentLine.contains(QLatin1String("-noRandomData")));
}
