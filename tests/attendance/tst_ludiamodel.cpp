#include "attendance/ludiamodel.h"
#include "db/dochidwidth.h"

#include <QColor>
#include <QSignalSpy>
#include <QTest>

namespace {
PersonData person(int uid, int dochid, const QString &meno, const QString &priez, quint8 grp)
{
    PersonData p;
    p.uid = uid;
    p.dochid = dochid;
    p.meno = meno;
    p.priez = priez;
    p.colorGrp = grp;
    return p;
}

// Two people in group 3 and one in group 0, in loader order.
QVector<PersonData> threePeople()
{
    PersonData jana = person(1, 7, QStringLiteral("Jana"), QStringLiteral("Novakova"), 3);
    jana.karta = QStringLiteral("5C17AB902");
    jana.admin = 1;
    jana.titul = QStringLiteral("Ing.");
    jana.fingers = 2;
    jana.acc = true;
    return { jana,
             person(2, 1203, QStringLiteral("Peter"), QStringLiteral("Kral"), 0),
             person(3, 15, QStringLiteral("Eva"), QStringLiteral("Mala"), 3) };
}
} // namespace

class TestLudiaModel : public QObject
{
    Q_OBJECT

private slots:
    void init() { DochidWidth::set(4); }
    void peopleRoles_data();
    void peopleRoles();
    void outsideRowsAndRoles();
    void groupModeRows();
    void groupModeIgnoresPersonRoles();
    void colourBeyondTheListIsInvalid();
    void memberTextHalves_data();
    void memberTextHalves();
    void dochidPadding_data();
    void dochidPadding();
    void groupFilter_data();
    void groupFilter();
    void filterFollowsRebuild();
    void indexGetters_data();
    void indexGetters();
    void lookupByDochid();
    void colorGroupsText();
    void modeChangeIsAnnouncedOnce();
    void addAppendsOneRow();
};

void TestLudiaModel::peopleRoles_data()
{
    QTest::addColumn<int>("role");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("uid") << 257 << QVariant(1);
    QTest::newRow("dochid") << 258 << QVariant(7);
    QTest::newRow("titul") << 259 << QVariant(QStringLiteral("Ing."));
    QTest::newRow("meno") << 260 << QVariant(QStringLiteral("Jana"));
    QTest::newRow("priezvisko") << 261 << QVariant(QStringLiteral("Novakova"));
    QTest::newRow("admin") << 262 << QVariant(1);
    QTest::newRow("karta is a flag") << 263 << QVariant(1);
    QTest::newRow("fingers") << 264 << QVariant(2);
    QTest::newRow("access") << 265 << QVariant(true);
    QTest::newRow("colorGroup") << 266 << QVariant(3);
    QTest::newRow("grpColor") << 267 << QVariant(QColor(QStringLiteral("#cc0000")));
    QTest::newRow("peopleInGroupCount") << 269 << QVariant(0);
    QTest::newRow("joinedName") << 272 << QVariant(QStringLiteral("[0007] Novakova Jana"));
}

void TestLudiaModel::peopleRoles()
{
    QFETCH(int, role);
    QFETCH(QVariant, expected);
    LudiaModel model;
    model.setPeople(threePeople());
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.data(model.index(0), role), expected);
    QCOMPARE(model.roleNames().value(role).isEmpty(), false);
}

void TestLudiaModel::outsideRowsAndRoles()
{
    LudiaModel model;
    model.setPeople(threePeople());
    QVERIFY(!model.data(model.index(0), Qt::DisplayRole).isValid());
    QVERIFY(!model.data(model.index(0), 273).isValid());
    QVERIFY(!model.data(model.index(3), 257).isValid());
    QCOMPARE(model.data(model.index(1), 263), QVariant(0)); // no card
    model.setColorGroupsMode(true);
    QVERIFY(!model.data(model.index(2), 266).isValid());
}

void TestLudiaModel::groupModeRows()
{
    LudiaModel model;
    model.setPeople(threePeople());
    model.setColorGroupsMode(true);
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.usedColors(), 2u);
    QCOMPARE(model.data(model.index(0), 266), QVariant(0));
    QCOMPARE(model.data(model.index(0), 269), QVariant(1));
    QCOMPARE(model.data(model.index(0), 267), QVariant(QColor(QStringLiteral("#663300"))));
    QCOMPARE(model.data(model.index(1), 266), QVariant(3));
    QCOMPARE(model.data(model.index(1), 269), QVariant(2));
    QCOMPARE(model.data(model.index(1), 268),
             QVariant(QStringLiteral("[0007] Novakova Jana\n[0015] Mala Eva\n")));
    QCOMPARE(model.getUsedGrp(1), quint8(3));
    QCOMPARE(model.getUsedCount(1), 2);
}

void TestLudiaModel::groupModeIgnoresPersonRoles()
{
    LudiaModel model;
    model.setPeople(threePeople());
    model.setColorGroupsMode(true);
    QCOMPARE(model.data(model.index(1), 260).toString(), QString());
    QCOMPARE(model.data(model.index(1), 272).toString(), QString());
}

void TestLudiaModel::colourBeyondTheListIsInvalid()
{
    LudiaModel model;
    model.setPeople({ person(1, 1, QStringLiteral("A"), QStringLiteral("B"), 8) });
    QVERIFY(!model.data(model.index(0), 267).value<QColor>().isValid());
    model.setColorGroupsMode(true);
    QVERIFY(!model.getUsedColor(0).isValid());
    QVERIFY(!model.data(model.index(0), 267).value<QColor>().isValid());
}

void TestLudiaModel::memberTextHalves_data()
{
    QTest::addColumn<int>("members");
    QTest::addColumn<int>("part");
    QTest::addColumn<QStringList>("names");

    QTest::newRow("5 members, first half") << 5 << 1 << QStringList { "1", "2", "3" };
    QTest::newRow("5 members, second half") << 5 << 2 << QStringList { "4", "5" };
    QTest::newRow("5 members, all") << 5 << 0 << QStringList { "1", "2", "3", "4", "5" };
    QTest::newRow("any other part is all") << 2 << 7 << QStringList { "1", "2" };
    QTest::newRow("1 member, second half") << 1 << 2 << QStringList {};
}

void TestLudiaModel::memberTextHalves()
{
    QFETCH(int, members);
    QFETCH(int, part);
    QFETCH(QStringList, names);

    QVector<PersonData> people;
    people << person(100, 100, QStringLiteral("Other"), QStringLiteral("Group"), 1);
    for (int i = 1; i <= members; ++i)
        people << person(i, i, QString::number(i), QStringLiteral("S"), 2);
    LudiaModel model;
    model.setPeople(people);
    QString expected;
    for (const QString &name : names)
        expected += QStringLiteral("[000%1] S %1\n").arg(name);
    QCOMPARE(model.peopleInGroupText(1, part), expected);
}

void TestLudiaModel::dochidPadding_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("joinedName");

    QTest::newRow("width 4") << 4 << "[0007] Novakova Jana";
    QTest::newRow("width 6") << 6 << "[000007] Novakova Jana";
}

void TestLudiaModel::dochidPadding()
{
    QFETCH(int, width);
    DochidWidth::set(width);
    LudiaModel model;
    model.setPeople(threePeople());
    QTEST(model.data(model.index(0), 272).toString(), "joinedName");
}

void TestLudiaModel::groupFilter_data()
{
    QTest::addColumn<int>("filter");
    QTest::addColumn<QList<int>>("uids");

    QTest::newRow("group 3") << 3 << QList<int> { 1, 3 };
    QTest::newRow("group 0") << 0 << QList<int> { 2 };
    QTest::newRow("nobody in group 9") << 9 << QList<int> {};
    QTest::newRow("no filter") << -1 << QList<int> { 1, 2, 3 };
}

void TestLudiaModel::groupFilter()
{
    QFETCH(int, filter);
    QFETCH(QList<int>, uids);
    LudiaModel model;
    model.setPeople(threePeople());
    model.setGroupFilter(3);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    model.setGroupFilter(filter);
    QCOMPARE(reset.count(), 1);
    QCOMPARE(model.groupFilter(), filter);
    QList<int> shown;
    for (int row = 0; row < model.rowCount(); ++row)
        shown << model.data(model.index(row), 257).toInt();
    QCOMPARE(shown, uids);
    // The index getters always read the full list.
    QCOMPARE(model.getUid(2), 3);
}

void TestLudiaModel::filterFollowsRebuild()
{
    LudiaModel model;
    model.setPeople(threePeople());
    model.setGroupFilter(3);
    // A reload without the deleted person must not keep showing her.
    QVector<PersonData> people = threePeople();
    people.removeFirst();
    model.clear();
    QCOMPARE(model.rowCount(), 0);
    for (const PersonData &p : people)
        model.addClovek(p);
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.data(model.index(0), 257), QVariant(3));
    model.setPeople(threePeople());
    QCOMPARE(model.rowCount(), 2);
}

void TestLudiaModel::indexGetters_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("uid");
    QTest::addColumn<int>("dochid");
    QTest::addColumn<int>("admin");
    QTest::addColumn<int>("karta");
    QTest::addColumn<int>("fingers");
    QTest::addColumn<QString>("meno");
    QTest::addColumn<QString>("kartaKod");
    QTest::addColumn<bool>("access");

    QTest::newRow("first") << 0 << 1 << 7 << 1 << 1 << 2 << "Jana"
                           << "5C17AB902" << true;
    QTest::newRow("without card") << 1 << 2 << 1203 << 0 << 0 << 0 << "Peter"
                                  << "" << false;
    QTest::newRow("before the list") << -1 << -1 << -1 << -1 << -1 << -1 << ""
                                     << "" << true;
    QTest::newRow("past the list") << 3 << -1 << -1 << -1 << -1 << -1 << ""
                                   << "" << true;
}

void TestLudiaModel::indexGetters()
{
    QFETCH(int, index);
    LudiaModel model;
    model.setPeople(threePeople());
    QTEST(model.getUid(index), "uid");
    QTEST(model.getDochId(index), "dochid");
    QTEST(model.getAdmin(index), "admin");
    QTEST(model.getKarta(index), "karta");
    QTEST(model.getFingers(index), "fingers");
    QTEST(model.getMeno(index), "meno");
    QTEST(model.getKartaKod(index), "kartaKod");
    QTEST(model.getAccess(index), "access");
}

void TestLudiaModel::lookupByDochid()
{
    LudiaModel model;
    model.setPeople(threePeople());
    QCOMPARE(model.indexByDochId(15), 2);
    QCOMPARE(model.getByDochId(15).uid, 3);
    QCOMPARE(model.indexByDochId(99), -1);
    QCOMPARE(model.getByDochId(99).uid, 0);
    QCOMPARE(model.get(1).priez, QStringLiteral("Kral"));
    QCOMPARE(model.get(5).uid, 0);
}

void TestLudiaModel::colorGroupsText()
{
    LudiaModel model;
    QCOMPARE(model.colorGroups().size(), 8);
    model.setColorGroups(QStringLiteral("#111111,,#222222,"));
    QCOMPARE(model.colorGroups(), (QStringList { "#111111", "#222222" }));
    model.setColorGroups(QStringList { "red" });
    QCOMPARE(model.colorGroups(), QStringList { "red" });
}

void TestLudiaModel::modeChangeIsAnnouncedOnce()
{
    LudiaModel model;
    QSignalSpy changed(&model, &LudiaModel::colorGroupsModeChanged);
    model.setColorGroupsMode(false);
    QCOMPARE(changed.count(), 0);
    model.setColorGroupsMode(true);
    model.setColorGroupsMode(true);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toBool(), true);
    QVERIFY(model.colorGroupsMode());
}

void TestLudiaModel::addAppendsOneRow()
{
    LudiaModel model;
    model.setPeople(threePeople());
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    model.addClovek(person(4, 4, QStringLiteral("Ivan"), QStringLiteral("Hora"), 0));
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.at(0).at(1).toInt(), 3);
    model.setColorGroupsMode(true);
    QCOMPARE(model.getUsedCount(0), 2);
}

QTEST_GUILESS_MAIN(TestLudiaModel)
#include "tst_ludiamodel.moc"
