#include "core/base.h"
#include "foundation/globals.h"
#include "foundation/zepsettings.h"
#include "devices/camcontrol.h"
#include "devices/cameraimageprovider.h"
#include "devices/soundmanager.h"
#include "devices/videodevicenodes.h"

#include "tests/support/controllersandbox.h"

#include <QCameraInfo>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickView>
#include <QtTest>

namespace {
QByteArray cameraLogText()
{
    QFile log(QStringLiteral("camcontrol.log"));
    return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
}
} // namespace

// The controller creates the sound manager and the camera and shows them to the UI.
class TestDeviceWiring : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void baseExposesDevices_data();
    void baseExposesDevices();
};

void TestDeviceWiring::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestDeviceWiring::baseExposesDevices_data()
{
    QTest::addColumn<bool>("takePhoto");
    QTest::addColumn<int>("rotation");
    QTest::addColumn<QSize>("picture");

    QTest::newRow("no photos") << false << 0 << QSize(320, 240);
    QTest::newRow("no photos, camera turned") << false << 90 << QSize(240, 320);
    QTest::newRow("photos without a camera") << true << 0 << QSize(320, 240);
}

void TestDeviceWiring::baseExposesDevices()
{
    QFETCH(bool, takePhoto);
    QFETCH(int, rotation);
    QFETCH(QSize, picture);
    if (takePhoto && !QCameraInfo::availableCameras().isEmpty())
        QSKIP("this machine has a camera");

    ControllerSandbox sandbox;
    QVERIFY(sandbox.isValid());
    Zep::debugLevel = 1;
    ZEPSettings &settings = sandbox.settings();
    settings.setValue(QStringLiteral("global/takePhoto"), takePhoto);
    settings.setValue(QStringLiteral("global/CameraRotateValue"), rotation);
    settings.setValue(QStringLiteral("audio/mute"), true);
    {
        auto base = sandbox.makeBase();
        base->init();

        QQmlContext *context = base->view()->rootContext();
        QVERIFY(qobject_cast<SoundManager *>(
            context->contextProperty(QStringLiteral("sndMan")).value<QObject *>()));
        auto camera = qobject_cast<CamControl *>(
            context->contextProperty(QStringLiteral("camCtrl")).value<QObject *>());
        QVERIFY(camera);
        auto provider = dynamic_cast<CameraImageProvider *>(
            base->view()->engine()->imageProvider(QStringLiteral("camera")));
        QVERIFY(provider);

        // The camera is looked for once the window is on screen.
        QTRY_VERIFY(cameraLogText().contains("Camera devices:"));
        camera->processCapturedImage(1, QImage(640, 480, QImage::Format_RGB32));
        QSize size;
        QCOMPARE(provider->requestImage(QStringLiteral("userPicture"), &size, QSize()).size(),
                 picture);
    }

    // A camera is opened only where the system has a video device node.
    QCOMPARE(cameraLogText().contains("CamControl::setCamera()"),
             takePhoto && VideoDeviceNodes::anyIn());

    QFile appLog(QStringLiteral("zep.log"));
    QVERIFY(appLog.open(QIODevice::ReadOnly));
    const QByteArray log = appLog.readAll();
    const QList<QByteArray> order { "Inicializujem SoundManager...",
                                    "Inicializujem DataDBManager...",
                                    "Vytvaram QmlApplicationviewer->.",
                                    "Inicializujem CamControl...",
                                    "Inicializujem a portujem CameraImageProvider...",
                                    "Portujem SoundManager do QML...",
                                    "Portujem CamControl do QML...",
                                    "Portujem Base do QML..." };
    int at = 0;
    for (const QByteArray &line : order) {
        const int found = log.indexOf(line, at);
        QVERIFY2(found >= 0, line.constData());
        at = found;
    }
}

QTEST_MAIN(TestDeviceWiring)
#include "tst_devicewiring.moc"
