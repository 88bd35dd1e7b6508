#pragma once

#include <QQuickImageProvider>

class CamControl;

// Hands the camera's last picture to the UI as "image://camera/<id>"; ids that contain
// "userPicture" give the picture, any other id an empty image.
class CameraImageProvider : public QQuickImageProvider
{
public:
    explicit CameraImageProvider(CamControl *camControl);

    QImage requestImage(const QString &id, QSize *size, const QSize &requestedSize) override;

private:
    CamControl *mCamControl;
};
