#include "attendance/lastentrance.h"

#include "db/datadbmanager.h"
#include "db/zepdbmanager.h"
#include "foundation/clock.h"
#include "foundation/zepsettings.h"

namespace {
constexpr qint64 secondsPerDay = 86400;
}

LastEntrance::LastEntrance(DataDBManager *attendanceDb,
                           ZepDBManager *catalogueDb,
                           ZEPSettings *settings,
                           QObject *parent)
    : QObject(parent)
    , mAttendanceDb(attendanceDb)
    , mCatalogueDb(catalogueDb)
    , mSettings(settings)
{
    mWindowEnd.setSingleShot(true);
    mWindowEnd.setTimerType(Qt::PreciseTimer);
    connect(&mWindowEnd, &QTimer::timeout, this, &LastEntrance::followDeleteWindow);
}

QDateTime LastEntrance::time() const
{
    return exists() ? QDateTime::fromSecsSinceEpoch(mEntrance.time) : QDateTime();
}

QString LastEntrance::text() const
{
    if (!exists())
        return QString();
    return mCatalogueDb->nacitajPrerusenia(mEntrance.pid) + QStringLiteral(" - ")
        + (mEntrance.smer == 1 ? tr("entry") : tr("leave"));
}

QString LastEntrance::timeText() const
{
    if (!exists())
        return QString();
    const bool today = qint64(mEntrance.time) + secondsPerDay > Clock::instance()->secsSinceEpoch();
    return time().toString(today ? QStringLiteral("h:mm:ss") : QStringLiteral("h:mm:ss\nd.M.yy"));
}

bool LastEntrance::isDeletable() const
{
    return mEntrance.time != 0 && Clock::instance()->msSinceEpoch() < deleteWindowEndMs();
}

// The first moment at which the entrance is older than the timeout in whole seconds.
qint64 LastEntrance::deleteWindowEndMs() const
{
    const qint64 timeout = mSettings->value(Setting::deleteWindow).toUInt();
    return (qint64(mEntrance.time) + timeout + 1) * 1000;
}

void LastEntrance::load(uint uid)
{
    setEntrance(mAttendanceDb->nacitajPoslednePrerusenie(uid));
}

void LastEntrance::clear()
{
    setEntrance(EntranceData());
}

void LastEntrance::setEntrance(const EntranceData &entrance)
{
    mEntrance = entrance;
    emit changed();
    followDeleteWindow();
}

void LastEntrance::followDeleteWindow()
{
    mWindowEnd.stop();
    const bool deletable = isDeletable();
    if (deletable != mDeletable) {
        mDeletable = deletable;
        emit deletableChanged(deletable);
    }
    // Armed again when the clock was turned back meanwhile.
    if (deletable)
        mWindowEnd.start(int(qMin<qint64>(deleteWindowEndMs() - Clock::instance()->msSinceEpoch(),
                                          secondsPerDay * 1000)));
}
