#include "devices/camcontrol.h"

#include "foundation/disksync.h"
#include "foundation/happensbefore.h"
#include "devices/camerasession.h"
#include "devices/videodevicenodes.h"

#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>
#include <QTransform>

namespace {
const int pictureSize = 320;

// Writes the picture in the format of the extension and returns once the disk holds it;
// nothing is left behind when that fails. It is written under a temporary name and renamed
// when whole, so that a crash or a full disk never leaves a truncated picture under the
// entrance's name.
bool writeToDisk(const QImage &picture, const QString &path)
{
    if (!QDir().mkpath(QFileInfo(path).path()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QImageWriter writer(&file, QFileInfo(path).suffix().toLatin1());
    if (!writer.write(picture) || !DiskSync::instance()->syncFile(file) || !file.commit())
        return false;
    return DiskSync::instance()->syncFolderOf(path);
}
} // namespace

CamControl::CamControl(bool takePhoto, QObject *parent)
    : QObject(parent)
    , mLog(QStringLiteral("camcontrol.log"))
    , mTakePhoto(takePhoto)
    , mDeviceFolder(VideoDeviceNodes::systemFolder)
{
    mLog.loguj(QString());
    mLog.loguj("CamControl::CamControl()");
}

CamControl::~CamControl()
{
    mThread.quit();
    mThread.wait();
}

CameraSession *CamControl::session()
{
    if (mSession)
        return mSession;
    qRegisterMetaType<QCamera::State>();
    qRegisterMetaType<QCameraImageCapture::Error>();
    mSession = new CameraSession;
    mSession->moveToThread(&mThread);
    connect(&mThread, &QThread::finished, mSession, &QObject::deleteLater);
    connect(mSession, &CameraSession::devicesFound, this, &CamControl::onDevicesFound);
    connect(mSession, &CameraSession::imageCaptured, this, &CamControl::processCapturedImage);
    connect(mSession, &CameraSession::imageSaved, this, &CamControl::imageSaved);
    connect(mSession, &CameraSession::captureError, this, &CamControl::displayCaptureError);
    connect(mSession, &CameraSession::stateChanged, this, &CamControl::cameraStateChanged);
    connect(mSession, &CameraSession::cameraError, this, &CamControl::displayCameraError);
    mThread.setObjectName(QStringLiteral("camera"));
    mThread.start();
    return mSession;
}

void CamControl::openCamera()
{
    if (mSearched)
        return;
    mSearched = true;
    if (!VideoDeviceNodes::anyIn(mDeviceFolder)) {
        logDevices({});
        return;
    }
    CameraSession *camera = session();
    HappensBefore::invoke(camera, [camera] { camera->search(); });
}

void CamControl::setDeviceFolder(const QString &folder)
{
    mDeviceFolder = folder;
}

void CamControl::logDevices(const QStringList &descriptions)
{
    mLog.loguj("Camera devices:");
    for (int i = 0; i < descriptions.size(); ++i)
        mLog.loguj(QStringLiteral("[%1] ").arg(i + 1) + descriptions.at(i));
}

void CamControl::onDevicesFound(const QStringList &descriptions, const QList<QByteArray> &devices)
{
    logDevices(descriptions);
    if (mTakePhoto)
        setCamera(devices.value(0));
}

void CamControl::setRotation(int degrees)
{
    mRotation = degrees;
}

void CamControl::setCamera(const QByteArray &cameraDevice)
{
    mLog.loguj("CamControl::setCamera()");
    setActive(false);
    CameraSession *camera = session();
    HappensBefore::invoke(camera, [camera, cameraDevice] { camera->open(cameraDevice); });
}

void CamControl::updatePicture()
{
    if (!mTakePhoto)
        return;
    mLog.loguj("CamControl::updatePicture()");
    if (mSession)
        HappensBefore::invoke(mSession, [camera = mSession] { camera->capture(); });
}

bool CamControl::isCamera()
{
    return mCameraActive;
}

void CamControl::startCamera()
{
    if (!mTakePhoto)
        return;
    mLog.loguj("CamControl::startCamera()");
    if (mSession)
        HappensBefore::invoke(mSession, [camera = mSession] { camera->start(); });
}

void CamControl::stopCamera()
{
    mLog.loguj("CamControl::stopCamera()");
    if (mSession)
        HappensBefore::invoke(mSession, [camera = mSession] { camera->stop(); });
}

void CamControl::processCapturedImage(int requestId, const QImage &image)
{
    mLog.loguj(QStringLiteral("CamControl::processCapturedImage(%1)").arg(requestId));
    QImage picture = image;
    if (mRotation % 360 != 0)
        picture = picture.transformed(QTransform().rotate(mRotation), Qt::SmoothTransformation);
    picture
        = picture.scaled(pictureSize, pictureSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    {
        std::lock_guard<std::mutex> locker(mImageMutex);
        mImage = picture;
    }
    emit imageReady();
}

bool CamControl::saveImage(const QString &path, bool capture)
{
    mLog.loguj(QStringLiteral("CamControl::saveImage(%1, %2)")
                   .arg(path, capture ? QStringLiteral("true") : QStringLiteral("false")));
    if (capture)
        updatePicture();
    const QImage picture = getImage();
    // A missing folder must not cost the photograph.
    const bool saved = !picture.isNull() && writeToDisk(picture, path);
    if (!saved)
        mLog.loguj(QStringLiteral("CamControl::saveImage() - ") + path
                   + (picture.isNull() ? QStringLiteral(" not saved, no picture")
                                       : QStringLiteral(" not saved")));
    return saved;
}

QImage CamControl::getImage()
{
    mLog.loguj("CamControl::getImage()");
    std::lock_guard<std::mutex> locker(mImageMutex);
    return mImage;
}

QPixmap CamControl::getPixmap()
{
    mLog.loguj("CamControl::getPixmap()");
    std::lock_guard<std::mutex> locker(mImageMutex);
    return QPixmap::fromImage(mImage);
}

void CamControl::imageSaved(int id, const QString &fileName)
{
    Q_UNUSED(id)
    Q_UNUSED(fileName)
    mLog.loguj("CamControl::imageSaved()");
}

void CamControl::displayCaptureError(int id,
                                     QCameraImageCapture::Error error,
                                     const QString &errorString)
{
    Q_UNUSED(id)
    Q_UNUSED(error)
    mLog.loguj(QStringLiteral("Image Capture Error: ") + errorString);
}

void CamControl::displayCameraError(const QString &errorString)
{
    mLog.loguj(QStringLiteral("Camera error: ") + errorString);
    emit initDone(false);
}

void CamControl::setActive(bool active)
{
    if (active == mCameraActive)
        return;
    mCameraActive = active;
    emit activeChanged(active);
}

void CamControl::cameraStateChanged(QCamera::State state)
{
    setActive(state == QCamera::ActiveState);
    switch (state) {
    case QCamera::UnloadedState:
        mLog.loguj("CamControl::cameraStateChanged(QCamera::UnloadedState)");
        break;
    case QCamera::LoadedState:
        mLog.loguj("CamControl::cameraStateChanged(QCamera::LoadedState)");
        break;
    case QCamera::ActiveState:
        mLog.loguj("CamControl::cameraStateChanged(QCamera::ActiveState)");
        emit initDone(true);
        if (mWasActive)
            emit cameraRestarted();
        mWasActive = true;
        break;
    default:
        mLog.loguj("CamControl::cameraStateChanged(?)");
        break;
    }
}
