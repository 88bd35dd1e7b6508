#include "devices/informator.h"

#include "foundation/clock.h"
#include "foundation/globals.h"
#include "devices/mountwatcher.h"

#include <QDateTime>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace {
const QString versionFile = QStringLiteral(":/version.txt");
const QString buildFile = QStringLiteral(":/build.txt");

// The first two lines of the version file: version and revision.
QStringList versionLines()
{
    QFile file(versionFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qCritical().noquote() << "Canot open for read: " << versionFile;
        return {};
    }
    QTextStream in(&file);
    const QString version = in.readLine();
    return { version, in.readLine() };
}
} // namespace

// Resources compiled into the static library are registered explicitly.
static void registerInfoResources()
{
    Q_INIT_RESOURCE(zepinfo);
}

Informator::Informator(const QString &executablePath, QObject *parent)
    : QObject(parent)
    , mExecutablePath(executablePath)
{
    registerInfoResources();
    // A drive mounted or unmounted is sampled at once, not at the next refresh.
    connect(new MountWatcher(QStringLiteral("/proc/self/mounts"), this),
            &MountWatcher::mountsChanged,
            this,
            &Informator::doParse);
}

QString Informator::appVer() const
{
    const QStringList lines = versionLines();
    if (lines.isEmpty())
        return QStringLiteral("? (BUILD: ?)");
    QFile build(buildFile);
    if (!build.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qCritical("Cannot open for read: ':/build.txt'");
        return lines.first() + QStringLiteral(" (BUILD: ?)");
    }
    const QString stamp = QString::fromLatin1(build.readAll()).trimmed();
    return lines.first() + QStringLiteral(" (BUILD: ") + stamp + QLatin1Char(')');
}

QString Informator::appBuild() const
{
    return QFileInfo(mExecutablePath).lastModified().toString(QStringLiteral("yyyyMMddhhmm"));
}

QString Informator::gitRev() const
{
    return versionLines().value(1);
}

uint Informator::parseBootTime() const
{
    const QDateTime now = Clock::instance()->now();
    if (Zep::debugLevel >= 2)
        qDebug() << "Informator::parseBootTime:"
                 << now.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
    return uint(now.toSecsSinceEpoch());
}

void Informator::doParse()
{
    emit parserStart();
    for (const SystemSampler::Sample &sample : mSampler.sample())
        parsedData(sample.name, sample.total, sample.used);
    emit parserStop();
}

void Informator::parsedData(const QString &name, uint total, uint used)
{
    if (Zep::debugLevel >= 2)
        qDebug() << "Informator::parsedData(" << name << total << used;
    const uint usage = total == 0 ? 0 : uint(quint64(used) * 100 / total);
    if (!mUsed.contains(name) || mUsed.value(name) != usage) {
        mUsed.insert(name, usage);
        emit usageChanged(name, usage);
    }
    if (!mTotal.contains(name) || mTotal.value(name) != total) {
        mTotal.insert(name, total);
        emit totalChanged(name, total);
    }
    if (name != QLatin1String("SDC"))
        return;
    const bool present = total != 0;
    if (Zep::debugLevel >= 2)
        qDebug() << "Informator::parsedData() is SD present:" << present
                 << "old: " << mSdCardPresent;
    if (present == mSdCardPresent)
        return;
    mSdCardPresent = present;
    if (Zep::debugLevel >= 1)
        qDebug() << "Informator::parsedData() emit sdCardPresentChanged(" << present << ")";
    emit sdCardPresentChanged(present);
}
