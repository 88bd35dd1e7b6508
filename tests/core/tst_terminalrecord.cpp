#include "core/terminalrecord.h"
#include "db/datadbmanager.h"
#include "foundation/zepsettings.h"

#include "tests/support/scratchfile.h"
#include "tests/support/smalltmpfs.h"
#include "tests/support/workdir.h"

#include <QDir>
#include <QtTest>

#include <memory>

class tst_TerminalRecord : public QObject
{
    Q_OBJECT
private slots:
    void saveIni_data();
    void saveIni();
    void oneWaitingRowPerField();
};

void tst_TerminalRecord::saveIni_data()
{
    QTest::addColumn<bool>("diskFull");
    QTest::addColumn<bool>("saved");

    QTest::newRow("room on the disk") << false << true;
    QTest::newRow("disk full") << true << false;
}

// The live settings file is either replaced whole or left as it was.
void tst_TerminalRecord::saveIni()
{
    QFETCH(bool, diskFull);
    QFETCH(bool, saved);
    WorkDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir().mkdir(QStringLiteral("disk")));
    SmallTmpfs disk(QDir::current().absoluteFilePath(QStringLiteral("disk")), 64);
    if (!disk.isMounted())
        QSKIP(qPrintable(QStringLiteral("cannot mount a tmpfs here: ") + disk.error()));
    const QString fileName = QStringLiteral("disk/zep.ini");
    const QByteArray before = "[global]\nterminalName=Vratnica\ndebugLevel=1\nPIN=false\n";
    QVERIFY(writeScratchFile(fileName, before));
    ZEPSettings settings(fileName);
    TerminalRecord record(&settings);
    if (diskFull)
        QVERIFY(disk.fill());
    const QString text
        = QStringLiteral("[global]\nterminalName=Sklad\nnote=") + QString(8000, 'x') + "\n";

    QCOMPARE(record.saveIni(text), saved);

    QFile file(fileName);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), saved ? text.toLatin1() : before);
    QCOMPARE(QDir(QStringLiteral("disk")).entryList(QDir::Files),
             QStringList({ QStringLiteral("zep.ini") }));
}

// Remote management keeps only the newest value of a field: changes made while it is away
// leave one waiting row each, holding the last value, not a row per change.
void tst_TerminalRecord::oneWaitingRowPerField()
{
    WorkDir dir;
    QVERIFY(dir.isValid());
    ZEPSettings settings(QStringLiteral("zep.ini"));
    DataDBManager attendance(QStringLiteral("data.db"), true);
    TerminalRecord record(&settings);
    record.setAttendanceDb(&attendance);
    const QString key = QStringLiteral("global/terminalName");
    for (const char *name : { "Vratnica", "Sklad", "Brana" }) {
        settings.setValue(key, QString::fromLatin1(name));
        record.onSettingsChanged(key); // as the controller passes it on
    }

    QMultiMap<QString, QString> waiting;
    const QList<SyncItem> items = attendance.loadSyncItems();
    for (const SyncItem &item : items)
        waiting.insert(item.field, item.data);
    QCOMPARE(waiting.keys(), QStringList({ QStringLiteral("ini"), QStringLiteral("nazov") }));
    QCOMPARE(waiting.value(QStringLiteral("nazov")), QStringLiteral("Brana"));
}

QTEST_GUILESS_MAIN(tst_TerminalRecord)
#include "tst_terminalrecord.moc"
