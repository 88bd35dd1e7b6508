#include "tests/acceptance/kioskterminal.h"

#include "foundation/commandrunner.h"
#include "tests/acceptance/xsession.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QtTest>

namespace {
const int startTimeoutMs = 120000;

// ZEP_ACCEPTANCE_PROGRAM runs another build of the terminal (an older one, to see which rows
// catch its faults); its documents, sounds and translations are the ones beside it.
QString program()
{
    const QString other = qEnvironmentVariable("ZEP_ACCEPTANCE_PROGRAM");
    return other.isEmpty() ? QStringLiteral(ZEP_PROGRAM) : other;
}

// Each look at the focus starts a process: not too often on a loaded machine.
const int pollMs = 250;
} // namespace

KioskTerminal::KioskTerminal(XSession *x)
    : mX(x)
{
    mProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    mProcess.setStandardOutputFile(QProcess::nullDevice());
}

KioskTerminal::~KioskTerminal()
{
    stop();
}

bool KioskTerminal::prepare()
{
    if (!mDir.isValid())
        return false;
    const QDir runtime = QFileInfo(program()).absoluteDir();
    const QDir folder(mDir.path());
    for (const QString &name : { QStringLiteral("qml"),
                                 QStringLiteral("sounds"),
                                 QStringLiteral("zep_sk.qm"),
                                 QStringLiteral("zep_en.qm") }) {
        if (!QFile::link(runtime.filePath(name), folder.filePath(name)))
            return false;
    }
    return folder.mkpath(QStringLiteral("home"));
}

bool KioskTerminal::setSettings(const QVariantMap &values)
{
    QSettings ini(mDir.filePath(QStringLiteral("zep.ini")), QSettings::IniFormat);
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        ini.setValue(it.key(), it.value());
    ini.sync();
    return ini.status() == QSettings::NoError;
}

bool KioskTerminal::installIdentity(const QString &file)
{
    QProcess install;
    install.setWorkingDirectory(mDir.path());
    install.setProcessChannelMode(QProcess::ForwardedChannels);
    install.start(QStringLiteral(ZEP_PROGRAM), { QStringLiteral("--install-identity"), file });
    return install.waitForFinished(30000) && install.exitStatus() == QProcess::NormalExit
        && install.exitCode() == 0;
}

bool KioskTerminal::start()
{
    if (startOnce())
        return true;
    if (isRunning())
        return false;
    // It ended while coming up: said, with how it ended, and tried once more.
    qWarning("zep ended during its start (exit status %d, code %d, %s); starting it again",
             int(mProcess.exitStatus()),
             mProcess.exitCode(),
             qPrintable(mProcess.errorString()));
    QFile debugLog(mDir.filePath(QStringLiteral("zep-debug.log")));
    if (debugLog.open(QIODevice::ReadOnly)) {
        const QByteArray lines = debugLog.readAll().right(4000);
        qWarning("the end of its zep-debug.log:\n%s", lines.constData());
    }
    return startOnce();
}

bool KioskTerminal::startOnce()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), mX->display());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    // The setup PIN lives in the native settings: never the real user's.
    environment.insert(QStringLiteral("HOME"), mDir.filePath(QStringLiteral("home")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), mDir.filePath(QStringLiteral("home")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), mDir.filePath(QStringLiteral("home")));
    if (mSoundServer.isEmpty())
        environment.remove(QStringLiteral("PULSE_SERVER"));
    else
        environment.insert(QStringLiteral("PULSE_SERVER"), mSoundServer);
    mProcess.setProcessEnvironment(environment);
    mProcess.setWorkingDirectory(mDir.path());
    mProcess.start(program(), { QStringLiteral("--full-screen") });
    if (!mProcess.waitForStarted(10000))
        return false;
    const QByteArray pid = QByteArray::number(mProcess.processId());
    QElapsedTimer clock;
    clock.start();
    while (isRunning() && clock.elapsed() < startTimeoutMs) {
        if (mX->xdotool({ QStringLiteral("getwindowfocus"), QStringLiteral("getwindowpid") })
                .trimmed()
            == pid)
            return true;
        QTest::qWait(pollMs);
    }
    return false;
}

void KioskTerminal::kill()
{
    mProcess.kill();
    mProcess.waitForFinished(10000);
}

void KioskTerminal::stop()
{
    if (!isRunning())
        return;
    mProcess.terminate();
    if (!mProcess.waitForFinished(10000))
        kill();
}

QStringList KioskTerminal::query(const QString &sql, bool *ok, const QString &database) const
{
    QByteArray output;
    const bool ran = CommandRunner::instance()->capture(QStringLiteral("sqlite3"),
                                                        { QStringLiteral("-batch"),
                                                          QStringLiteral("-cmd"),
                                                          QStringLiteral(".timeout 5000"),
                                                          mDir.filePath(database),
                                                          sql },
                                                        output)
        == 0;
    if (ok)
        *ok = ran;
    return ran ? QString::fromUtf8(output).split(QLatin1Char('\n'), Qt::SkipEmptyParts)
               : QStringList();
}

QStringList KioskTerminal::journal() const
{
    QFile file(mDir.filePath(QStringLiteral("interrupts.log")));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}
