#include "devices/cameraimageprovider.h"

#include "foundation/globals.h"
#include "devices/camcontrol.h"

#include <QDebug>

CameraImageProvider::CameraImageProvider(CamControl *camControl)
    : QQuickImageProvider(QQuickImageProvider::Image)
    , mCamControl(camControl)
{
}

QImage CameraImageProvider::requestImage(const QString &id, QSize *size, const QSize &requestedSize)
{
    // The picture is already small; it is handed over at its own size.
    Q_UNUSED(requestedSize)
    if (Zep::debugLevel != 0)
        qDebug() << "CameraImageProvider::requestImage(" << id << ")";
    QImage image;
    if (id.contains(QLatin1String("userPicture")))
        image = mCamControl->getImage();
    if (size)
        *size = image.size();
    return image;
}
