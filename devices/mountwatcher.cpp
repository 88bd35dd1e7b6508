#include "devices/mountwatcher.h"

#include <QDebug>
#include <QSocketNotifier>

MountWatcher::MountWatcher(const QString &mountTable, QObject *parent)
    : QObject(parent)
    , mTable(mountTable)
{
    if (!mTable.open(QIODevice::ReadOnly)) {
        qWarning() << "MountWatcher: cannot watch" << mountTable << mTable.errorString();
        return;
    }
    // A change of the table shows as an exceptional condition on its descriptor.
    mNotifier = new QSocketNotifier(mTable.handle(), QSocketNotifier::Exception, this);
    connect(mNotifier, &QSocketNotifier::activated, this, &MountWatcher::mountsChanged);
}
