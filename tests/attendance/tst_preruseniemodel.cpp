#include "attendance/preruseniemodel.h"

#include <QSignalSpy>
#include <QTest>

class TestPrerusenieModel : public QObject
{
    Q_OBJECT

private slots:
    void roles_data();
    void roles();
    void outsideRowsAndRoles();
    void getters_data();
    void getters();
    void addAnnouncesOneRowAtTheEnd();
    void clearingAnEmptyModelStillResets();
    void setPreruseniaReplacesTheList();

private:
    static QList<PrerusenieData> sample();
};

QList<PrerusenieData> TestPrerusenieModel::sample()
{
    return { PrerusenieData(1, QStringLiteral("Prichod"), QStringLiteral("P"), 0, 3),
             PrerusenieData(-5, QStringLiteral("Lekar"), QStringLiteral("L"), 0, 50000),
             PrerusenieData(200, QStringLiteral("Sluzobna cesta"), QStringLiteral("SC"), 0, 7) };
}

void TestPrerusenieModel::roles_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("role");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("pid") << 0 << 257 << QVariant(1);
    QTest::newRow("negative pid") << 1 << 257 << QVariant(-5);
    QTest::newRow("pid above 127") << 2 << 257 << QVariant(200);
    QTest::newRow("nazov") << 1 << 258 << QVariant(QStringLiteral("Lekar"));
    QTest::newRow("skratka") << 2 << 259 << QVariant(QStringLiteral("SC"));
    QTest::newRow("vaha") << 1 << 260 << QVariant(50000);
}

void TestPrerusenieModel::roles()
{
    QFETCH(int, row);
    QFETCH(int, role);
    QFETCH(QVariant, expected);

    PrerusenieModel model;
    model.setPrerusenia(sample());
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.data(model.index(row), role), expected);
    const QHash<int, QByteArray> names = model.roleNames();
    QCOMPARE(names.value(257), QByteArray("pid"));
    QCOMPARE(names.value(258), QByteArray("nazov"));
    QCOMPARE(names.value(259), QByteArray("skratka"));
    QCOMPARE(names.value(260), QByteArray("vaha"));
    QCOMPARE(names.size(), 4);
}

void TestPrerusenieModel::outsideRowsAndRoles()
{
    PrerusenieModel model;
    model.setPrerusenia(sample());
    QVERIFY(!model.data(model.index(0), Qt::DisplayRole).isValid());
    QVERIFY(!model.data(model.index(0), 261).isValid());
    QVERIFY(!model.data(model.index(0), 256).isValid());
    QVERIFY(!model.data(model.index(3), 257).isValid());
    QVERIFY(!model.data(QModelIndex(), 257).isValid());
}

void TestPrerusenieModel::getters_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("pid");
    QTest::addColumn<QString>("nazov");
    QTest::addColumn<QString>("skratka");
    QTest::addColumn<int>("vaha");

    QTest::newRow("first") << 0 << 1 << "Prichod"
                           << "P" << 3;
    QTest::newRow("negative pid") << 1 << -5 << "Lekar"
                                  << "L" << 50000;
    QTest::newRow("before the list") << -1 << -1 << "?"
                                     << "?" << 0;
    QTest::newRow("past the list") << 3 << -1 << "?"
                                   << "?" << 0;
}

void TestPrerusenieModel::getters()
{
    QFETCH(int, index);
    PrerusenieModel model;
    model.setPrerusenia(sample());
    QTEST(model.getPid(index), "pid");
    QTEST(model.getNazov(index), "nazov");
    QTEST(model.getSkratka(index), "skratka");
    QTEST(model.getVaha(index), "vaha");
}

void TestPrerusenieModel::addAnnouncesOneRowAtTheEnd()
{
    PrerusenieModel model;
    model.setPrerusenia(sample());
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    model.addPrerusenie(PrerusenieData(9, QStringLiteral("Obed"), QStringLiteral("O")));
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.at(0).at(1).toInt(), 3);
    QCOMPARE(inserted.at(0).at(2).toInt(), 3);
    QCOMPARE(model.getNazov(3), QStringLiteral("Obed"));
}

void TestPrerusenieModel::clearingAnEmptyModelStillResets()
{
    PrerusenieModel model;
    QSignalSpy aboutToReset(&model, &QAbstractItemModel::modelAboutToBeReset);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    model.clear();
    QCOMPARE(aboutToReset.count(), 1);
    QCOMPARE(reset.count(), 1);
}

void TestPrerusenieModel::setPreruseniaReplacesTheList()
{
    PrerusenieModel model;
    model.setPrerusenia(sample());
    model.setPrerusenia({ PrerusenieData(4, QStringLiteral("Odchod"), QStringLiteral("O")) });
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.getPid(0), 4);
}

QTEST_GUILESS_MAIN(TestPrerusenieModel)
#include "tst_preruseniemodel.moc"
