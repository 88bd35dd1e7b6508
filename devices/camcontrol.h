#pragma once

#include "foundation/filelog.h"

#include <QCamera>
#include <QCameraImageCapture>
#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QThread>

#include <mutex>

class CameraSession;

// Drives the PC's camera: captures still pictures on request, keeps the last one scaled
// to fit 320 × 320 for display, and saves it as the photograph of an entrance. Everything
// it does goes to "camcontrol.log". Without a camera it keeps working with no picture.
// The device is found, opened and driven on a thread of its own (CameraSession), so
// neither the UI nor the recording of an entrance ever waits for it.
class CamControl : public QObject
{
    Q_OBJECT
    // A camera is open and delivering pictures.
    Q_PROPERTY(bool active READ isCamera NOTIFY activeChanged)
public:
    // Opens no device yet: see openCamera().
    explicit CamControl(bool takePhoto, QObject *parent = nullptr);
    // Waits for the camera thread to end.
    ~CamControl() override;

    // Starts listing the camera devices and, with photographs on, opening the first
    // one, and returns at once; the list is logged when the search is done. Until a
    // camera works there is simply no picture. Without a video device node the list is
    // empty at once: the multimedia backend is neither loaded nor asked. Runs once.
    void openCamera();
    // Where openCamera() looks for video device nodes (VideoDeviceNodes::systemFolder).
    void setDeviceFolder(const QString &folder);

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
    void activeChanged(bool active);

public slots:
    void updatePicture();
    bool isCamera();

    void startCamera();
    void stopCamera();
    // Opens the device (an empty name asks for the default camera), on the camera thread.
    void setCamera(const QByteArray &cameraDevice);
    void displayCaptureError(int id, QCameraImageCapture::Error error, const QString &errorString);
    void displayCameraError(const QString &errorString);
    // Takes a captured picture as the last one.
    void processCapturedImage(int requestId, const QImage &image);
    void imageSaved(int id, const QString &fileName);
    void cameraStateChanged(QCamera::State state);

private:
    void setActive(bool active);
    void logDevices(const QStringList &descriptions);
    // Logs the devices found and, with photographs on, opens the first one.
    void onDevicesFound(const QStringList &descriptions, const QList<QByteArray> &devices);
    // Starts the camera thread on first use; the session lives there.
    CameraSession *session();

    FileLog mLog;
    QThread mThread;
    CameraSession *mSession = nullptr;
    std::mutex mImageMutex; // the last picture is read by the UI's image-loading threads
    QImage mImage;
    bool mCameraActive = false;
    bool mWasActive = false;
    bool mTakePhoto;
    bool mSearched = false;
    QString mDeviceFolder;
    int mRotation = 0;
};
