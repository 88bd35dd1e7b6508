#include "devices/videodevicenodes.h"

#include <QDir>

const QString VideoDeviceNodes::systemFolder = QStringLiteral("/dev");

bool VideoDeviceNodes::anyIn(const QString &folder)
{
#ifdef Q_OS_LINUX
    return !QDir(folder)
                .entryList({ QStringLiteral("video*") }, QDir::System | QDir::Files)
                .isEmpty();
#else
    Q_UNUSED(folder)
    return true;
#endif
}
