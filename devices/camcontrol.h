#pragma once

#include "core/foundation/filelog.h"

#include <QCamera>
#include <QCameraImageCapture>
#include <QImage>
#include <QMutex>
#include <QObject>
#include <QPixmap>

// Drives the PC's camera: captures still pictures on request, keeps the last one scaled
// to fit 320 × 320 for display, and saves it as the photograph of an entrance. Everything
// it does goes to "camcontrol.log". Without a camera it keeps working with no picture.
class CamControl : public QObject
{
    Q_OBJECT
public:
    // Opens no device yet: see openCamera().
    explicit CamControl(bool takePhoto, QObject *parent = nullptr);

    // Lists the camera devices and, with photographs on, opens the first one. The
    // search may take seconds on a PC without a camera, so the controller calls
    // this once the window is on screen; until then there is simply no picture.
    // Runs once.
    void openCamera();

    // Degrees the captured pictures are turned by before scaling ("global/CameraRotateValue").
    void setRotation(int degrees);

    // Saves the picture held now to path (format from the extension) and returns once it is
    // on the disk; with capture set a new picture is requested as well, arriving later.
    bool saveImage(const QString &path, bool capture);
    // The last picture; safe to call from the UI's image-loading threads.
    QImage getImage();
    QPixmap getPixmap();

signals:
    // The camera became active (true) or reported an error (false).
    void initDone(bool isOK);
    void imageReady();
    // The camera became active again after it had been lost.
    void cameraRestarted();

public slots:
    void updatePicture();
    bool isCamera();

    void startCamera();
    void stopCamera();
    void setCamera(const QByteArray &cameraDevice);
    void displayCaptureError(int id, QCameraImageCapture::Error error, const QString &errorString);
    void displayCameraError();
    // Takes a captured picture as the last one.
    void processCapturedImage(int requestId, const QImage &image);
    void imageSaved(int id, const QString &fileName);
    void cameraStateChanged(QCamera::State state);

private:
    FileLog mLog;
    QCamera *mCamera = nullptr;
    QCameraImageCapture *mImageCapture = nullptr;
    QMutex mImageMutex; // the last picture is read by the UI's image-loading threads
    QImage mImage;
    bool mCameraActive = false;
    bool mWasActive = false;
    bool mTakePhoto;
    bool mSearched = false;
    int mRotation = 0;
};
