#include "foundation/entrancephoto.h"

#include "foundation/globals.h"

#include <QDir>

namespace EntrancePhoto {

QString path(uint entranceId)
{
    return QStringLiteral("%1/%2.jpg").arg(ZepFiles::entrancePhotos).arg(entranceId);
}

bool ensureFolder()
{
    return QDir().mkpath(ZepFiles::entrancePhotos);
}

} // namespace EntrancePhoto
