#include "db/datademodata.h"

#include "foundation/globals.h"
#include "db/transactionguard.h"

#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QtDebug>

namespace DataDemoData {

void fill(QSqlDatabase db, bool randomPeople)
{
    auto addAdminLike =
        [&](int dochid, const QString &karta, const QString &meno, int admin) {
            if (Zep::debugLevel >= 2)
                qDebug().noquote()
                    << QStringLiteral("Vytvaram uzivatela %1 - karta %2").arg(meno, karta);
            QSqlQuery q(db);
            q.prepare(QStringLiteral("INSERT INTO ludia (dochid, karta, meno, admin) VALUES(:did, "
                                     ":karta, :meno, :adm)"));
            q.bindValue(QStringLiteral(":did"), dochid);
            q.bindValue(QStringLiteral(":karta"), karta);
            q.bindValue(QStringLiteral(":meno"), meno);
            q.bindValue(QStringLiteral(":adm"), admin);
            if (!q.exec())
                qCritical() << q.lastError().text();
        };
    addAdminLike(1, QStringLiteral("5C17AB902"), QStringLiteral("Admin"), 1);

    if (randomPeople) {
        if (Zep::debugLevel >= 2)
            qDebug() << "Vytvaram 1000 nahodnych zaznamov v tab. ludia";
        auto randomText = [](int length) {
            QString text;
            for (int i = 0; i < length; ++i)
                text.append(QChar(35 + int(QRandomGenerator::global()->generate() % 91)));
            return text;
        };
        // One transaction instead of a thousand synchronous commits.
        TransactionGuard transaction(db);
        QSqlQuery q(db);
        q.prepare(QStringLiteral("INSERT INTO ludia (dochid, karta, meno, priez) VALUES(:did, "
                                 ":karta, :meno, :priez)"));
        for (int did = 1001; did <= 2000; ++did) {
            q.bindValue(QStringLiteral(":did"), did);
            q.bindValue(QStringLiteral(":karta"), randomText(9));
            q.bindValue(QStringLiteral(":meno"), randomText(8));
            q.bindValue(QStringLiteral(":priez"), randomText(8));
            if (!q.exec())
                qCritical() << q.lastError().text();
        }
        transaction.commit();
    }
    addAdminLike(2, QStringLiteral("73D0F1E48"), QStringLiteral("Demo"), 0);
    if (Zep::debugLevel >= 2)
        qDebug() << "DataDBManager: databaza je naplnena DEMO datami";
}

} // namespace DataDemoData
