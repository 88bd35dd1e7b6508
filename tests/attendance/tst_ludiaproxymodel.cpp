#include "attendance/ludiamodel.h"
#include "attendance/ludiaproxymodel.h"

#include <QTest>

namespace {
PersonData person(int dochid, const QString &meno, const QString &priez)
{
    PersonData p;
    p.uid = dochid;
    p.dochid = dochid;
    p.meno = meno;
    p.priez = priez;
    return p;
}

QVector<PersonData> people()
{
    return { person(1203, QStringLiteral("Peter"), QStringLiteral("Kral")),
             person(7, QStringLiteral("Jana"), QStringLiteral("NOVAKOVA")),
             person(31, QStringLiteral("Ovidia"), QStringLiteral("bielik")),
             person(412, QStringLiteral("Eva"), QStringLiteral("Adamcova")),
             person(55, QStringLiteral("Juraj"), QStringLiteral("Cerny")) };
}

QStringList surnames(const QAbstractItemModel &model)
{
    QStringList names;
    for (int row = 0; row < model.rowCount(); ++row)
        names << model.index(row, 0).data(LudiaModel::PriezviskoRole).toString();
    return names;
}
} // namespace

class TestLudiaProxyModel : public QObject
{
    Q_OBJECT

private slots:
    void filter_data();
    void filter();
    void sortsBySurnameIgnoringCase();
    void followsSourceReload();
};

void TestLudiaProxyModel::filter_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("shown");

    QTest::newRow("empty shows all")
        << "" << QStringList { "Adamcova", "bielik", "Cerny", "Kral", "NOVAKOVA" };
    QTest::newRow("ova in any case") << "ova" << QStringList { "Adamcova", "NOVAKOVA" };
    QTest::newRow("upper case text") << "OVA" << QStringList { "Adamcova", "NOVAKOVA" };
    QTest::newRow("first name") << "ovid" << QStringList { "bielik" };
    QTest::newRow("number part") << "12" << QStringList { "Kral", "Adamcova" };
    QTest::newRow("no match") << "xyz" << QStringList {};
}

void TestLudiaProxyModel::filter()
{
    QFETCH(QString, text);
    QFETCH(QStringList, shown);
    LudiaModel source;
    source.setPeople(people());
    LudiaProxyModel proxy(&source);
    proxy.setFilterText(text);
    QStringList expected = shown;
    std::sort(expected.begin(), expected.end(), [](const QString &a, const QString &b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    QCOMPARE(surnames(proxy), expected);
}

void TestLudiaProxyModel::sortsBySurnameIgnoringCase()
{
    LudiaModel source;
    source.setPeople(people());
    LudiaProxyModel proxy(&source);
    QCOMPARE(surnames(proxy), (QStringList { "Adamcova", "bielik", "Cerny", "Kral", "NOVAKOVA" }));
}

void TestLudiaProxyModel::followsSourceReload()
{
    LudiaModel source;
    LudiaProxyModel proxy(&source);
    proxy.setFilterText(QStringLiteral("ova"));
    source.setPeople(people());
    QCOMPARE(surnames(proxy), (QStringList { "Adamcova", "NOVAKOVA" }));
    source.addClovek(person(8, QStringLiteral("Maria"), QStringLiteral("Bezova")));
    QCOMPARE(surnames(proxy), (QStringList { "Adamcova", "Bezova", "NOVAKOVA" }));
}

QTEST_GUILESS_MAIN(TestLudiaProxyModel)
#include "tst_ludiaproxymodel.moc"
