#include "devices/camerasession.h"

#include <QCameraInfo>

CameraSession::CameraSession(QObject *parent)
    : QObject(parent)
{
}

void CameraSession::search()
{
    QStringList descriptions;
    QList<QByteArray> devices;
    for (const QCameraInfo &camera : QCameraInfo::availableCameras()) {
        descriptions << camera.description();
        devices << camera.deviceName().toUtf8();
    }
    emit devicesFound(descriptions, devices);
}

void CameraSession::open(const QByteArray &cameraDevice)
{
    delete mImageCapture;
    delete mCamera;

    const QCameraInfo device(cameraDevice);
    mCamera = device.isNull() ? new QCamera(this) : new QCamera(device, this);
    mImageCapture = new QCameraImageCapture(mCamera, this);
    // Pictures stay in memory; nothing is written to the user's picture folder.
    if (mImageCapture->isCaptureDestinationSupported(QCameraImageCapture::CaptureToBuffer))
        mImageCapture->setCaptureDestination(QCameraImageCapture::CaptureToBuffer);
    mCamera->setCaptureMode(QCamera::CaptureStillImage);

    connect(
        mImageCapture, &QCameraImageCapture::imageCaptured, this, &CameraSession::imageCaptured);
    connect(mImageCapture, &QCameraImageCapture::imageSaved, this, &CameraSession::imageSaved);
    connect(
        mImageCapture,
        qOverload<int, QCameraImageCapture::Error, const QString &>(&QCameraImageCapture::error),
        this,
        &CameraSession::captureError);
    connect(mCamera, &QCamera::stateChanged, this, &CameraSession::stateChanged);
    connect(mCamera, qOverload<QCamera::Error>(&QCamera::error), this, [this] {
        emit cameraError(mCamera->errorString());
    });
    mCamera->start();
}

void CameraSession::capture()
{
    if (mImageCapture)
        mImageCapture->capture();
}

void CameraSession::start()
{
    if (mCamera)
        mCamera->start();
}

void CameraSession::stop()
{
    if (mCamera)
        mCamera->stop();
}
