#pragma once

#include <QCamera>
#include <QCameraImageCapture>
#include <QObject>
#include <QStringList>

// The camera device itself, kept on a thread of its own by CamControl: looking
// for cameras and opening one may take seconds (the multimedia backend is loaded,
// a missing device is waited for), and the UI or an entrance must never wait for
// that. Everything it learns comes out as signals.
class CameraSession : public QObject
{
    Q_OBJECT
public:
    explicit CameraSession(QObject *parent = nullptr);

public slots:
    // Lists the camera devices and reports them by devicesFound().
    void search();
    // Opens the device (an empty name asks for the default camera) and starts it.
    void open(const QByteArray &cameraDevice);
    void capture();
    void start();
    void stop();

signals:
    // Descriptions and device names of the cameras found, in the same order.
    void devicesFound(QStringList descriptions, QList<QByteArray> devices);
    void stateChanged(QCamera::State state);
    void cameraError(QString errorString);
    void imageCaptured(int requestId, QImage image);
    void captureError(int id, QCameraImageCapture::Error error, QString errorString);
    void imageSaved(int id, QString fileName);

private:
    QCamera *mCamera = nullptr;
    QCameraImageCapture *mImageCapture = nullptr;
};
