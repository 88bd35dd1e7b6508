#include "tests/acceptance/soundsink.h"

#include <QFile>
#include <QRegularExpression>
#include <QtTest>

namespace {

const QString sinkName = QStringLiteral("zepacceptance");
const QString sampleRate = QStringLiteral("22050");

void end(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000))
        process.kill();
    process.waitForFinished(5000);
}

double figure(const QString &report, const QString &name)
{
    const QRegularExpression line(name + QStringLiteral(R"(\s+amplitude:\s+([0-9.]+))"));
    const QRegularExpressionMatch match = line.match(report);
    return match.hasMatch() ? match.captured(1).toDouble() : -1;
}

} // namespace

SoundSink::~SoundSink()
{
    end(mRecorder);
    end(mServer);
}

bool SoundSink::start()
{
    if (!mDir.isValid())
        return false;
    // Its own runtime folders, so that it meets no other server on this machine; root may
    // run it as a user daemon.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), mDir.path());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), mDir.path());
    environment.insert(QStringLiteral("PULSE_RUNTIME_PATH"), mDir.filePath(QStringLiteral("run")));
    environment.remove(QStringLiteral("DISPLAY"));
    mServer.setProcessEnvironment(environment);
    mServer.setProcessChannelMode(QProcess::MergedChannels);
    mServer.start(QStringLiteral("pulseaudio"),
                  { QStringLiteral("--system=false"),
                    QStringLiteral("-n"),
                    QStringLiteral("--daemonize=no"),
                    QStringLiteral("--exit-idle-time=-1"),
                    QStringLiteral("--use-pid-file=no"),
                    QStringLiteral("--load=module-native-protocol-unix auth-anonymous=1 socket=")
                        + mDir.filePath(QStringLiteral("native")),
                    QStringLiteral("--load=module-null-sink sink_name=") + sinkName });
    if (!mServer.waitForStarted(10000))
        return false;
    return QTest::qWaitFor(
               [this] {
                   return QFile::exists(mDir.filePath(QStringLiteral("native")))
                       || mServer.state() != QProcess::Running;
               },
               20000)
        && mServer.state() == QProcess::Running;
}

QString SoundSink::serverAddress() const
{
    return QStringLiteral("unix:") + mDir.filePath(QStringLiteral("native"));
}

bool SoundSink::startRecording()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PULSE_SERVER"), serverAddress());
    environment.insert(QStringLiteral("HOME"), mDir.path());
    mRecorder.setProcessEnvironment(environment);
    mRecorder.setStandardOutputFile(mDir.filePath(QStringLiteral("recording.raw")));
    mRecorder.start(QStringLiteral("parec"),
                    { QStringLiteral("--device=") + sinkName + QStringLiteral(".monitor"),
                      QStringLiteral("--raw"),
                      QStringLiteral("--format=s16le"),
                      QStringLiteral("--rate=") + sampleRate,
                      QStringLiteral("--channels=1") });
    return mRecorder.waitForStarted(10000);
}

SoundSink::Level SoundSink::stopRecording()
{
    end(mRecorder);
    // sox writes its figures to the error output.
    QProcess sox;
    sox.setProcessChannelMode(QProcess::MergedChannels);
    sox.start(QStringLiteral("sox"),
              { QStringLiteral("-t"),
                QStringLiteral("raw"),
                QStringLiteral("-r"),
                sampleRate,
                QStringLiteral("-e"),
                QStringLiteral("signed"),
                QStringLiteral("-b"),
                QStringLiteral("16"),
                QStringLiteral("-c"),
                QStringLiteral("1"),
                mDir.filePath(QStringLiteral("recording.raw")),
                QStringLiteral("-n"),
                QStringLiteral("stat") });
    if (!sox.waitForFinished(30000) || sox.exitCode() != 0)
        return {};
    const QString report = QString::fromLocal8Bit(sox.readAll());
    return { figure(report, QStringLiteral("RMS")), figure(report, QStringLiteral("Maximum")) };
}
