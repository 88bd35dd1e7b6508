#include "devices/player.h"
#include "devices/soundmanager.h"
#include "devices/waveoutput.h"

#include "tests/support/workdir.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QSoundEffect>
#include <QTest>

namespace {

// Records what would reach the external player process.
class FakePlayer : public Player
{
public:
    QStringList calls;
    void playFile(const QString &file) override { calls << QStringLiteral("play ") + file; }
    void writeCommand(const QByteArray &command) override { calls << QString::fromLatin1(command); }
};

class FakeWaveOutput : public WaveOutput
{
public:
    QStringList played;
    void play(const QString &file) override { played << file; }
};

// A 16-bit PCM wave file of silence, as the sound generator writes them.
QByteArray silentWave()
{
    const quint16 formatTag = 1;
    const quint16 bits = 16;
    const quint32 rate = 22050;
    const quint16 channels = 1;
    const QByteArray samples(rate / 10 * bits / 8, '\0');
    QByteArray wave;
    QDataStream out(&wave, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + samples.size());
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << formatTag << channels << rate << quint32(rate * channels * bits / 8)
        << quint16(channels * bits / 8) << bits;
    out.writeRawData("data", 4);
    out << quint32(samples.size());
    out.writeRawData(samples.constData(), samples.size());
    return wave;
}

} // namespace

class TestSoundManager : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void lookupAndPlay_data();
    void lookupAndPlay();
    void entranceConfirmation_data();
    void entranceConfirmation();
    void mutedPlaysNothing();
    void sameWaveTwiceBothPlay();
    void externalPlayer_data();
    void externalPlayer();
    void tableHasUniqueKeys();
    void everyFileIsGenerated();
    void generatedFilesArePcm();
    void playWithoutAudioDevice();
    void volumeAndMuteReachEverySound_data();
    void volumeAndMuteReachEverySound();

private:
    WorkDir mDir;
};

void TestSoundManager::init()
{
    QVERIFY(mDir.isValid());
}

void TestSoundManager::lookupAndPlay_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("path");

    QTest::newRow("lunch arrival") << "p_O-0-1"
                                   << "sounds/25_obed_prichod.wav";
    QTest::newRow("work-related arrival") << "p_PR-0-1"
                                          << "sounds/05_pracovne_prichod.wav";
    QTest::newRow("work-related departure has no entry") << "p_PR-0-0"
                                                         << "";
    QTest::newRow("paragraph abbreviation") << "p_§-0-0"
                                            << "sounds/22_paragraf_odchod.wav";
    QTest::newRow("flexi drawing mode 2 is start") << "p_FC-2-1"
                                                   << "sounds/61_flexi_cerpanie_start.wav";
    QTest::newRow("flexi drawing mode 1 is beginning") << "p_FC-1-1"
                                                       << "sounds/62_flexi_cerpanie_zaciatok.wav";
    QTest::newRow("interface sound") << "dlge"
                                     << "sounds/dialog-error.wav";
    QTest::newRow("name given whole") << "keyclick"
                                      << "sounds/keyclick.wav";
    QTest::newRow("unknown key") << "p_XX-0-1"
                                 << "";
    QTest::newRow("key in other case") << "LOGIN"
                                       << "";
    QTest::newRow("empty key") << ""
                               << "";
}

void TestSoundManager::lookupAndPlay()
{
    QFETCH(QString, key);
    QFETCH(QString, path);

    auto player = new FakePlayer;
    auto wave = new FakeWaveOutput;
    SoundManager manager(SoundManager::standardTable(), player, wave);

    QCOMPARE(manager.getFilePath(key), path);
    manager.play(key);
    QCOMPARE(wave->played, path.isEmpty() ? QStringList() : QStringList { path });
    QVERIFY(player->calls.isEmpty());
}

void TestSoundManager::entranceConfirmation_data()
{
    QTest::addColumn<QString>("abbreviation");
    QTest::addColumn<uint>("direction");
    QTest::addColumn<QString>("path");

    QTest::newRow("lunch, arrival") << "O" << 1u << "sounds/25_obed_prichod.wav";
    QTest::newRow("lunch, departure") << "O" << 0u << "sounds/26_obed_odchod.wav";
    QTest::newRow("another direction is a departure") << "P" << 2u << "sounds/02_praca_odchod.wav";
    QTest::newRow("paragraph abbreviation") << "§" << 1u << "sounds/21_paragraf_prichod.wav";
    QTest::newRow("type without a departure sound") << "PR" << 0u << "";
    QTest::newRow("type of the server without sounds") << "XYZ" << 1u << "";
    QTest::newRow("no abbreviation") << "" << 1u << "";
}

// The confirmation of an entrance is the plain arrival or departure sound of its type.
void TestSoundManager::entranceConfirmation()
{
    QFETCH(QString, abbreviation);
    QFETCH(uint, direction);
    QFETCH(QString, path);

    auto wave = new FakeWaveOutput;
    SoundManager manager(SoundManager::standardTable(), new FakePlayer, wave);
    manager.playEntrance(abbreviation, direction);
    QCOMPARE(wave->played, path.isEmpty() ? QStringList() : QStringList { path });
}

void TestSoundManager::mutedPlaysNothing()
{
    auto player = new FakePlayer;
    auto wave = new FakeWaveOutput;
    SoundManager manager(SoundManager::standardTable(), player, wave);

    manager.setMute(true);
    manager.play(QStringLiteral("p_O-0-1"));
    manager.play(QStringLiteral("unknown"), true);
    QVERIFY(wave->played.isEmpty());

    manager.setMute(false);
    manager.play(QStringLiteral("p_O-0-1"));
    QCOMPARE(wave->played, QStringList { QStringLiteral("sounds/25_obed_prichod.wav") });
    QVERIFY(player->calls.isEmpty());
}

void TestSoundManager::sameWaveTwiceBothPlay()
{
    auto player = new FakePlayer;
    auto wave = new FakeWaveOutput;
    SoundManager manager(SoundManager::standardTable(), player, wave);
    // A running external player must not hold back wave sounds.
    emit player->started();

    manager.play(QStringLiteral("click"));
    manager.play(QStringLiteral("click"));
    const QString click = QStringLiteral("sounds/button_click.wav");
    QCOMPARE(wave->played, QStringList({ click, click }));
}

void TestSoundManager::externalPlayer_data()
{
    // Steps: "volume N", "mute", "unmute", "start" / "stop" (the process reports itself),
    // "play KEY" and "playv KEY" (with volume).
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("calls");

    QTest::newRow("idle, no volume")
        << QStringList { "volume 70", "play a" } << QStringList { "play sounds/a.mp3" };
    QTest::newRow("idle, with volume") << QStringList { "volume 70", "playv a" }
                                       << QStringList { "play sounds/a.mp3", "volume 70 1 \n" };
    QTest::newRow("volume without range check")
        << QStringList { "volume -5", "playv a" }
        << QStringList { "play sounds/a.mp3", "volume -5 1 \n" };
    QTest::newRow("running, other file stops first")
        << QStringList { "play a", "start", "play b" }
        << QStringList { "play sounds/a.mp3", "stop \n", "play sounds/b.mp3" };
    QTest::newRow("running, same file skipped")
        << QStringList { "play a", "start", "play a" } << QStringList { "play sounds/a.mp3" };
    QTest::newRow("finished, same file plays again")
        << QStringList { "play a", "start", "stop", "play a" }
        << QStringList { "play sounds/a.mp3", "play sounds/a.mp3" };
    QTest::newRow("mute while running quits") << QStringList { "play a", "start", "mute", "play b" }
                                              << QStringList { "play sounds/a.mp3", "quit \n" };
    QTest::newRow("mute while idle writes nothing")
        << QStringList { "mute", "unmute", "play a" } << QStringList { "play sounds/a.mp3" };
    QTest::newRow("unknown key") << QStringList { "play c" } << QStringList {};
}

void TestSoundManager::externalPlayer()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, calls);

    auto player = new FakePlayer;
    auto wave = new FakeWaveOutput;
    const SoundManager::Table table { { QStringLiteral("a"), QStringLiteral("sounds/a.mp3") },
                                      { QStringLiteral("b"), QStringLiteral("sounds/b.mp3") } };
    SoundManager manager(table, player, wave);

    for (const QString &step : steps) {
        const QStringList words = step.split(QLatin1Char(' '));
        const QString &verb = words.first();
        if (verb == QLatin1String("volume"))
            manager.setVolume(words.at(1).toInt());
        else if (verb == QLatin1String("mute") || verb == QLatin1String("unmute"))
            manager.setMute(verb == QLatin1String("mute"));
        else if (verb == QLatin1String("start"))
            emit player->started();
        else if (verb == QLatin1String("stop"))
            emit player->finished(0, QProcess::NormalExit);
        else if (verb == QLatin1String("play"))
            manager.play(words.at(1));
        else if (verb == QLatin1String("playv"))
            manager.play(words.at(1), true);
        else
            QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
    }
    QCOMPARE(player->calls, calls);
    QVERIFY(wave->played.isEmpty());
}

void TestSoundManager::tableHasUniqueKeys()
{
    QSet<QString> keys;
    QSet<QString> files;
    for (const auto &entry : SoundManager::standardTable()) {
        QVERIFY2(!keys.contains(entry.first), qPrintable(entry.first));
        keys.insert(entry.first);
        QVERIFY2(entry.second.startsWith(QLatin1String("sounds/"))
                     && entry.second.endsWith(QLatin1String(".wav")),
                 qPrintable(entry.second));
        files.insert(entry.second);
    }
    // Every key has a file of its own.
    QCOMPARE(files.size(), keys.size());
}

void TestSoundManager::everyFileIsGenerated()
{
    // The build generates the sound files from this table: each one needs exactly one row.
    QFile list(QStringLiteral(ZEP_SOURCE_DIR "/sounds/sounds.txt"));
    QVERIFY(list.open(QIODevice::ReadOnly | QIODevice::Text));
    QStringList rows;
    while (!list.atEnd()) {
        const QString line = QString::fromUtf8(list.readLine()).trimmed();
        if (!line.isEmpty() && !line.startsWith(QLatin1Char('#')))
            rows << QStringLiteral("sounds/") + line.section(QLatin1Char('|'), 0, 0).trimmed();
    }
    for (const auto &entry : SoundManager::standardTable())
        QVERIFY2(rows.count(entry.second) == 1, qPrintable(entry.second));
    QCOMPARE(rows.size(), SoundManager::standardTable().size());
}

void TestSoundManager::generatedFilesArePcm()
{
    // The platform's sound facility plays only integer PCM wave files.
    const QDir runtime(QStringLiteral(ZEP_RUNTIME_DIR));
    if (!runtime.exists(QStringLiteral("sounds/keyclick.wav")))
        QSKIP("no sound files generated in this build (generators missing)");
    for (const auto &entry : SoundManager::standardTable()) {
        QFile file(runtime.filePath(entry.second));
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(entry.second));
        const QByteArray header = file.read(44);
        QVERIFY2(header.size() == 44 && header.startsWith("RIFF") && header.mid(8, 8) == "WAVEfmt ",
                 qPrintable(entry.second));
        QDataStream in(header.mid(20));
        in.setByteOrder(QDataStream::LittleEndian);
        quint16 formatTag, channels, blockAlign, bits;
        quint32 rate, byteRate;
        in >> formatTag >> channels >> rate >> byteRate >> blockAlign >> bits;
        QVERIFY2(formatTag == 1 && bits == 16, qPrintable(entry.second));
        QVERIFY2(file.size() > 44 + 100, qPrintable(entry.second));
    }
}

void TestSoundManager::playWithoutAudioDevice()
{
    // Real outputs on a machine that may have no audio device: no crash, no hang.
    QVERIFY(QDir().mkpath(QStringLiteral("sounds")));
    QFile file(QStringLiteral("sounds/keyclick.wav"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(silentWave());
    file.close();

    SoundManager manager;
    manager.setVolume(50);
    manager.play(QStringLiteral("keyclick"));
    manager.play(QStringLiteral("keyclick"), true);
    manager.play(QStringLiteral("p_O-0-1"));
    QCoreApplication::processEvents();
}

void TestSoundManager::volumeAndMuteReachEverySound_data()
{
    // Steps: "volume N", "mute", "unmute", "play KEY"; then every sound played so far
    // has the expected volume and mute.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<qreal>("volume");
    QTest::addColumn<bool>("muted");

    QTest::newRow("volume before the first play")
        << QStringList { "volume 25", "play a" } << 0.25 << false;
    QTest::newRow("volume changed while sounds exist")
        << QStringList { "play a", "play b", "volume 40" } << 0.4 << false;
    QTest::newRow("volume above the range")
        << QStringList { "volume 150", "play a" } << 1.0 << false;
    QTest::newRow("volume below the range")
        << QStringList { "play a", "volume -5" } << 0.0 << false;
    QTest::newRow("mute while a sound exists")
        << QStringList { "volume 60", "play a", "mute" } << 0.6 << true;
    QTest::newRow("unmuted again")
        << QStringList { "play a", "mute", "unmute", "play b" } << 1.0 << false;
}

void TestSoundManager::volumeAndMuteReachEverySound()
{
    QFETCH(QStringList, steps);
    QFETCH(qreal, volume);
    QFETCH(bool, muted);

    auto wave = new WaveOutput;
    const SoundManager::Table table { { QStringLiteral("a"), QStringLiteral("sounds/a.wav") },
                                      { QStringLiteral("b"), QStringLiteral("sounds/b.wav") } };
    SoundManager manager(table, new FakePlayer, wave);
    for (const QString &step : steps) {
        const QStringList words = step.split(QLatin1Char(' '));
        if (words.first() == QLatin1String("volume"))
            manager.setVolume(words.at(1).toInt());
        else if (words.first() == QLatin1String("play"))
            manager.play(words.at(1));
        else
            manager.setMute(words.first() == QLatin1String("mute"));
    }

    const QList<QSoundEffect *> sounds = wave->findChildren<QSoundEffect *>();
    QVERIFY(!sounds.isEmpty());
    for (const QSoundEffect *sound : sounds) {
        QCOMPARE(sound->volume(), volume);
        QCOMPARE(sound->isMuted(), muted);
    }
}

QTEST_MAIN(TestSoundManager)
#include "tst_soundmanager.moc"
