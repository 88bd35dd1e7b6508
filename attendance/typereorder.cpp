#include "attendance/typereorder.h"

#include "attendance/preruseniemodel.h"
#include "foundation/clock.h"
#include "foundation/zepsettings.h"
#include "db/datadbmanager.h"
#include "db/preruseniedata.h"
#include "db/zepdbmanager.h"

#include <QDebug>
#include <QHash>

namespace {
// The time of the last reorder, in the attendance database's variables.
const QString doneKey = QStringLiteral("typesReordered");
const qint64 daySeconds = 24 * 3600;
} // namespace

TypeReorder::TypeReorder(ZEPSettings *settings,
                         ZepDBManager *catalogueDb,
                         DataDBManager *attendanceDb,
                         PrerusenieModel *model,
                         QObject *parent)
    : QObject(parent)
    , mSettings(settings)
    , mCatalogueDb(catalogueDb)
    , mAttendanceDb(attendanceDb)
    , mModel(model)
{
}

void TypeReorder::onIdleMinute()
{
    if (!mSettings->value(Setting::autosort).toBool())
        return;
    const QDateTime now = Clock::instance()->now();
    if (now.time().hour() != mSettings->value(Setting::autosortHour).toInt())
        return;
    const QVariant done = mAttendanceDb->var_get(doneKey);
    if (done.isValid() && QDateTime::fromSecsSinceEpoch(done.toLongLong()).date() == now.date())
        return;
    // The first time, the entrances of the last day count.
    const qint64 since = done.isValid() ? done.toLongLong() : now.toSecsSinceEpoch() - daySeconds;
    if (reorder(since, now))
        mModel->reload(mCatalogueDb);
}

bool TypeReorder::reorder(qint64 since, const QDateTime &now)
{
    QHash<uint, int> uses;
    if (!mAttendanceDb->entranceCountsByType(uint(since), uses))
        return false;
    QList<PrerusenieData> types;
    mCatalogueDb->loadInters(types);
    bool written = true;
    for (const PrerusenieData &type : qAsConst(types)) {
        const int count = uses.value(uint(type.pid));
        if (count > 0 && !mCatalogueDb->setPrerusPoradie(uint(type.pid), type.vaha - count))
            written = false;
    }
    // A failed write leaves the mark unset: the next minute of the hour tries again, and the
    // types written this time then count their uses twice, which only shifts the order.
    if (!written || !mAttendanceDb->var_set(doneKey, now.toSecsSinceEpoch())) {
        qWarning("TypeReorder: the interruption types could not be reordered");
        return false;
    }
    return true;
}
