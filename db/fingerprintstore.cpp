#include "db/fingerprintstore.h"

#include "foundation/globals.h"
#include "db/sqlitemanager.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QtDebug>

FingerprintStore::FingerprintStore(SQLiteManager &db)
    : mDb(db)
{
}

FingerData FingerprintStore::loadFinger(uint fpID)
{
    QSqlQuery q(mDb.database());
    q.prepare(QStringLiteral(
        "SELECT fpID, uid, template, tplID, finger FROM fingers WHERE fpID = :fpid"));
    q.bindValue(QStringLiteral(":fpid"), fpID);
    FingerData f;
    if (!q.exec())
        qCritical() << q.lastError().text();
    else if (q.next()) {
        f.fpID = q.value(0).toUInt();
        f.uid = q.value(1).toUInt();
        f.tpl = q.value(2).toByteArray();
        f.tplID = q.value(3).toUInt();
        f.finger = quint16(q.value(4).toUInt());
    }
    if (Zep::debugLevel >= 2)
        qDebug().noquote() << "DataDBManager::loadFinger(" << fpID << ") = " << f.debugText();
    return f;
}

bool FingerprintStore::saveFinger(const FingerData &finger)
{
    if (Zep::debugLevel >= 2)
        qDebug().noquote() << "DataDBManager::saveFinger(" << finger.debugText() << ")";
    const SQLiteManager::FailureLog log
        = SQLiteManager::logStreamed("DataDBManager::saveFinger() ERROR:");
    const SQLiteManager::Result inserted
        = mDb.exec(QStringLiteral("INSERT INTO fingers (fpID, uid, template, tplID, "
                                  "finger) VALUES(:fpID, :uid, :tpl, :tplID, :finger)"),
                   { { ":fpID", finger.fpID },
                     { ":uid", finger.uid },
                     { ":tpl", finger.tpl },
                     { ":tplID", finger.tplID },
                     { ":finger", uint(finger.finger) } },
                   log);
    if (!inserted.ok)
        return false;
    const SQLiteManager::Result linked
        = mDb.exec(QStringLiteral("UPDATE ludia SET fpID = :fpID WHERE uid = :uid "),
                   { { ":fpID", finger.fpID }, { ":uid", finger.uid } },
                   log);
    return linked.ok && inserted.rows > 0 && linked.rows > 0;
}

QByteArray FingerprintStore::getFingerTemplate(uint fpID, uint tplID)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::getFingerTemplate(" << fpID << tplID << ")";
    QSqlQuery q(mDb.database());
    if (!q.exec(QStringLiteral("SELECT template FROM fingers WHERE fpID=%1 AND tplID = %2;")
                    .arg(fpID)
                    .arg(tplID))) {
        qCritical() << q.lastError().text();
        return {};
    }
    return q.next() ? q.value(0).toByteArray() : QByteArray();
}

bool FingerprintStore::deleteFingerTemplate(uint fpID, uint tplID)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::deleteFingerTemplate(" << fpID << tplID << ")";
    return mDb
        .exec(QStringLiteral("DELETE FROM fingers WHERE fpID=%1 AND tplID = %2;")
                  .arg(fpID)
                  .arg(tplID),
              {},
              SQLiteManager::logStreamed("DataDBManager::deleteFingerTemplate() FAILED! ERROR:"))
        .changed();
}

bool FingerprintStore::deleteFingerTemplateByUid(uint uid, int finger)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::deleteFingerTemplateByUid(" << uid << finger << ")";
    const QString sql = finger < 0
        ? QStringLiteral("DELETE FROM fingers WHERE uid=%1;").arg(uid)
        : QStringLiteral("DELETE FROM fingers WHERE uid=%1 AND finger = %2;").arg(uid).arg(finger);
    return mDb
        .exec(
            sql,
            {},
            SQLiteManager::logStreamed("DataDBManager::deleteFingerTemplateByUid() FAILED! ERROR:"))
        .changed();
}

bool FingerprintStore::loadFingers(QList<FingerData> &list, uint uid)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::loadFingers(): mazem zoznam";
    list.clear();
    const QString sql = uid == 0
        ? QStringLiteral("SELECT fpID, uid, tplID, finger FROM fingers ORDER BY uid ;")
        : QStringLiteral("SELECT fpID, uid, tplID, finger FROM fingers WHERE uid=%1;").arg(uid);
    QSqlQuery q(mDb.database());
    if (!q.exec(sql)) {
        qCritical() << q.lastError().text();
        return false;
    }
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::loadFingers(): nacitavam z DB";
    while (q.next()) {
        FingerData f;
        f.fpID = q.value(0).toUInt();
        f.uid = q.value(1).toUInt();
        f.tplID = q.value(2).toUInt();
        f.finger = quint16(q.value(3).toUInt());
        if (Zep::debugLevel >= 2)
            qDebug().noquote() << f.debugText();
        list.append(f);
    }
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::loadFingers(): DONE " << list.size();
    return true;
}

int FingerprintStore::countFingers()
{
    QSqlQuery q(mDb.database());
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM fingers"))) {
        qCritical("DataDBManager::countFingers() - SQl ERROR: '%s'",
                  SQLiteManager::errorText(q).constData());
        return 0;
    }
    const int count = q.next() ? q.value(0).toInt() : 0;
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager::countFingers()=" << count;
    return count;
}
