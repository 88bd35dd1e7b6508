#include "sync/uploadbackoff.h"

#include <QtTest>

class tst_UploadBackoff : public QObject
{
    Q_OBJECT

private slots:
    void waitFollowsCause_data();
    void waitFollowsCause();
};

void tst_UploadBackoff::waitFollowsCause_data()
{
    // One letter per failed post, all at time 0: r refused by the server, f a fault.
    QTest::addColumn<QString>("failures");
    QTest::addColumn<bool>("serverRecovered");
    QTest::addColumn<qint64>("waitMs");

    const qint64 minute = 60000;
    QTest::newRow("never failed") << "" << false << qint64(0);
    QTest::newRow("first fault") << "f" << false << minute / 2;
    QTest::newRow("third fault") << "fff" << false << 2 * minute;
    QTest::newRow("faults stop at four minutes") << "ffffffffff" << false << 4 * minute;
    QTest::newRow("first refusal") << "r" << false << 4 * minute;
    QTest::newRow("refusals stop at 128 minutes") << "rrrrrrrrrr" << false << 128 * minute;
    QTest::newRow("faults end with the server's answer") << "ffff" << true << qint64(0);
    QTest::newRow("refusals outlive the server's answer") << "rrf" << true << 8 * minute;
}

void tst_UploadBackoff::waitFollowsCause()
{
    QFETCH(QString, failures);
    QFETCH(bool, serverRecovered);
    QFETCH(qint64, waitMs);

    const uint id = 7;
    UploadBackoff backoff;
    for (const QChar failure : failures)
        backoff.failed(id, failure == QLatin1Char('r'), 0);
    if (serverRecovered)
        backoff.serverRecovered();
    QVERIFY(backoff.mayHandOn(8, 0));
    if (waitMs > 0)
        QVERIFY(!backoff.mayHandOn(id, waitMs - 1));
    QVERIFY(backoff.mayHandOn(id, waitMs));
}

QTEST_GUILESS_MAIN(tst_UploadBackoff)
#include "tst_uploadbackoff.moc"
