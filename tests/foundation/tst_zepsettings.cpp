#include "foundation/zepsettings.h"

#include "tests/support/dbmessagecapture.h"
#include "tests/support/scratchfile.h"
#include "tests/support/workdir.h"

#include <QtTest>

class tst_ZEPSettings : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void missingFileGivesDefaultsAndNoFile();
    void writeAnnouncesEvenUnchangedValue();
    void syncSettingsWritesTheFile();
    void syncSettingsJudgesEachWrite();
    void replacedFileAnnouncesWhatChanged();
    void brokenFile_data();
    void brokenFile();
    void statusText_data();
    void statusText();

private:
    std::unique_ptr<WorkDir> mDir;
};

void tst_ZEPSettings::init()
{
    mDir.reset(); // the previous folder restores its working directory first
    mDir = std::make_unique<WorkDir>();
    QVERIFY(mDir->isValid());
}

void tst_ZEPSettings::missingFileGivesDefaultsAndNoFile()
{
    {
        ZEPSettings settings(QStringLiteral("zep.ini"));
        QSignalSpy reads(&settings, &ZEPSettings::onRead);
        QCOMPARE(settings.value(QStringLiteral("global/debugLevel"), 1).toUInt(), 1u);
        QCOMPARE(
            settings.value(QStringLiteral("serverKLD/ip"), QStringLiteral("0.0.0.0")).toString(),
            QStringLiteral("0.0.0.0"));
        QCOMPARE(settings.value(QStringLiteral("proxy/type")).toUInt(), 0u);
        QCOMPARE(reads.size(), 3);
        QCOMPARE(reads.at(0).at(0).toString(), QStringLiteral("global/debugLevel"));
        settings.syncSettings();
    }
    QVERIFY(!QFile::exists(QStringLiteral("zep.ini")));
}

void tst_ZEPSettings::writeAnnouncesEvenUnchangedValue()
{
    ZEPSettings settings(QStringLiteral("zep.ini"));
    QSignalSpy writes(&settings, &ZEPSettings::onWrite);
    settings.setValue(QStringLiteral("audio/volume"), 50);
    settings.setValue(QStringLiteral("audio/volume"), 50);
    QCOMPARE(writes.size(), 2);
    QCOMPARE(writes.at(1).at(0).toString(), QStringLiteral("audio/volume"));
    QCOMPARE(settings.value(QStringLiteral("audio/volume"), 0).toInt(), 50);
}

void tst_ZEPSettings::syncSettingsWritesTheFile()
{
    ZEPSettings settings(QStringLiteral("zep.ini"));
    settings.setValue(QStringLiteral("global/terminalName"), QStringLiteral("Vratnica"));
    settings.syncSettings();
    QFile file(QStringLiteral("zep.ini"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY(text.contains("[global]"));
    QVERIFY(text.contains("terminalName=Vratnica"));
}

// A write that fails once (a folder stands where the file goes) does not make the
// later ones look failed, nor silence the changes after it.
void tst_ZEPSettings::syncSettingsJudgesEachWrite()
{
    const QString name = QStringLiteral("zep.ini");
    ZEPSettings settings(name);
    QSignalSpy writes(&settings, &ZEPSettings::onWrite);
    settings.setValue(QStringLiteral("global/terminalName"), QStringLiteral("A"));
    QVERIFY(settings.syncSettings());

    QVERIFY(QFile::rename(name, name + QStringLiteral(".kept")));
    QVERIFY(QDir().mkdir(name));
    settings.setValue(QStringLiteral("global/terminalName"), QStringLiteral("B"));
    {
        DbMessageCapture messages;
        QVERIFY(!settings.syncSettings());
        QVERIFY2(messages.critical().contains(
                     QStringLiteral("ZEPSettings: Cannot write '%1' - Access Error")
                         .arg(settings.fileName())),
                 qPrintable(messages.all().join('\n')));
    }

    QVERIFY(QDir().rmdir(name));
    QVERIFY(QFile::rename(name + QStringLiteral(".kept"), name));
    settings.setValue(QStringLiteral("global/terminalName"), QStringLiteral("C"));
    QVERIFY(settings.syncSettings());
    QFile file(name);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("terminalName=C"));

    writes.clear();
    settings.setValue(QStringLiteral("global/terminalName"), QStringLiteral("D"));
    QCOMPARE(writes.size(), 1);
}

// A file written whole by someone else (remote management) is read again; the keys whose
// values changed, came or went are announced as if they had been written, the others not.
void tst_ZEPSettings::replacedFileAnnouncesWhatChanged()
{
    const QString name = QStringLiteral("zep.ini");
    ZEPSettings settings(name);
    settings.setValue(QStringLiteral("orvel/sszep"), QStringLiteral("10.0.0.1"));
    settings.setValue(QStringLiteral("orvel/sszepPort"), 8090);
    settings.setValue(QStringLiteral("audio/volume"), 50);
    QVERIFY(settings.syncSettings());
    QSignalSpy writes(&settings, &ZEPSettings::onWrite);

    QSaveFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[orvel]\nsszep=10.0.0.2\nsszepPort=8090\n[global]\nterminalName=Brana\n");
    QVERIFY(file.commit());
    QVERIFY(settings.rereadFile());

    QStringList announced;
    for (const QList<QVariant> &write : qAsConst(writes))
        announced << write.at(0).toString();
    announced.sort();
    QCOMPARE(announced,
             QStringList({ QStringLiteral("audio/volume"),
                           QStringLiteral("global/terminalName"),
                           QStringLiteral("orvel/sszep") }));
    QCOMPARE(settings.value(QStringLiteral("orvel/sszep")).toString(), QStringLiteral("10.0.0.2"));
}

void tst_ZEPSettings::brokenFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("unreadable");
    QTest::addColumn<QString>("status");
    QTest::newRow("malformed section")
        << QByteArray("[global\ndebugLevel=3\n") << false << QStringLiteral("Format Error");
    QTest::newRow("unreadable") << QByteArray("[global]\ndebugLevel=3\n") << true
                                << QStringLiteral("Access Error");
}

void tst_ZEPSettings::brokenFile()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, unreadable);
    QFETCH(QString, status);
    QVERIFY(writeScratchFile(QStringLiteral("zep.ini"), content));
    if (unreadable) {
        QFile::setPermissions(QStringLiteral("zep.ini"), QFileDevice::Permissions());
        QFile probe(QStringLiteral("zep.ini"));
        if (probe.open(QIODevice::ReadOnly))
            QSKIP("Running with rights that read any file");
    }
    DbMessageCapture messages;
    ZEPSettings settings(QStringLiteral("zep.ini"));
    QSignalSpy reads(&settings, &ZEPSettings::onRead);
    QSignalSpy writes(&settings, &ZEPSettings::onWrite);
    QCOMPARE(settings.value(QStringLiteral("global/language"), QStringLiteral("SK")).toString(),
             QStringLiteral("SK"));
    settings.setValue(QStringLiteral("global/language"), QStringLiteral("EN"));
    QCOMPARE(reads.size(), 0);
    QCOMPARE(writes.size(), 0);
    const QString file = settings.fileName();
    QVERIFY2(messages.critical().contains(
                 QStringLiteral("ZEPSettings: Cannot read key 'global/language' from "
                                "'%1' - %2")
                     .arg(file, status)),
             qPrintable(messages.all().join('\n')));
    QVERIFY(messages.critical().contains(
        QStringLiteral("ZEPSettings: Cannot write key 'global/language' to '%1' - %2")
            .arg(file, status)));
}

void tst_ZEPSettings::statusText_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("text");
    QTest::newRow("no error") << int(QSettings::NoError) << QStringLiteral("No Error");
    QTest::newRow("access") << int(QSettings::AccessError) << QStringLiteral("Access Error");
    QTest::newRow("format") << int(QSettings::FormatError) << QStringLiteral("Format Error");
    QTest::newRow("other") << 42 << QStringLiteral("Unknown Error");
}

void tst_ZEPSettings::statusText()
{
    QFETCH(int, status);
    QFETCH(QString, text);
    QCOMPARE(ZEPSettings::statusText(QSettings::Status(status)), text);
}

QTEST_GUILESS_MAIN(tst_ZEPSettings)
#include "tst_zepsettings.moc"
