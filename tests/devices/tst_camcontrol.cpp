#include "foundation/entrancephoto.h"
#include "devices/camcontrol.h"
#include "devices/cameraimageprovider.h"
#include "devices/videodevicenodes.h"

#include "tests/support/workdir.h"

#include <QCameraInfo>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

namespace {

QImage picture(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    return image;
}

// The texts of "camcontrol.log", without their time stamps.
QStringList cameraLog()
{
    QFile file(QStringLiteral("camcontrol.log"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QStringList lines;
    while (!file.atEnd())
        lines << QString::fromUtf8(file.readLine()).chopped(1).section(QStringLiteral(" => "), 1);
    return lines;
}

// A folder standing in for /dev with empty files of these names.
bool makeDeviceFolder(const QString &folder, const QStringList &nodes)
{
    for (const QString &node : nodes) {
        QFile file(folder + QLatin1Char('/') + node);
        if (!file.open(QIODevice::WriteOnly))
            return false;
    }
    return true;
}

} // namespace

class TestCamControl : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void capturedPictureIsScaled_data();
    void capturedPictureIsScaled();
    void saveInjectedPicture_data();
    void saveInjectedPicture();
    void saveWithoutPictureFails();
    void interruptedSaveLeavesNoPhoto();
    void videoDeviceNodes_data();
    void videoDeviceNodes();
    void withoutTakePhotoNoCapture();
    void noDeviceNodeNoSearch();
    void noCameraDevice();
    void cameraState_data();
    void cameraState();
    void imageProviderIdRule_data();
    void imageProviderIdRule();

private:
    WorkDir *mDir = nullptr;
};

void TestCamControl::init()
{
    mDir = new WorkDir;
    QVERIFY(mDir->isValid());
}

void TestCamControl::cleanup()
{
    delete mDir;
    mDir = nullptr;
}

void TestCamControl::capturedPictureIsScaled_data()
{
    QTest::addColumn<QSize>("captured");
    QTest::addColumn<int>("rotation");
    QTest::addColumn<QSize>("kept");

    QTest::newRow("landscape 640x480") << QSize(640, 480) << 0 << QSize(320, 240);
    QTest::newRow("portrait 480x640") << QSize(480, 640) << 0 << QSize(240, 320);
    QTest::newRow("wide strip") << QSize(1600, 200) << 0 << QSize(320, 40);
    QTest::newRow("turned by 90") << QSize(640, 480) << 90 << QSize(240, 320);
    QTest::newRow("turned by 180") << QSize(640, 480) << 180 << QSize(320, 240);
    QTest::newRow("full turn is none") << QSize(640, 480) << 360 << QSize(320, 240);
}

void TestCamControl::capturedPictureIsScaled()
{
    QFETCH(QSize, captured);
    QFETCH(int, rotation);
    QFETCH(QSize, kept);

    CamControl camera(false);
    camera.setRotation(rotation);
    QSignalSpy ready(&camera, &CamControl::imageReady);

    camera.processCapturedImage(7, picture(captured.width(), captured.height()));

    QCOMPARE(ready.count(), 1);
    QCOMPARE(camera.getImage().size(), kept);
    QCOMPARE(camera.getPixmap().size(), kept);
    QVERIFY(cameraLog().contains(QStringLiteral("CamControl::processCapturedImage(7)")));
}

void TestCamControl::saveInjectedPicture_data()
{
    QTest::addColumn<bool>("folderMade");
    QTest::addColumn<bool>("capture");

    QTest::newRow("photo folder present") << true << false;
    QTest::newRow("photo folder missing") << false << false;
    QTest::newRow("capture asked, picture held now is saved") << true << true;
}

void TestCamControl::saveInjectedPicture()
{
    QFETCH(bool, folderMade);
    QFETCH(bool, capture);

    if (folderMade)
        QVERIFY(EntrancePhoto::ensureFolder());
    CamControl camera(false);
    camera.processCapturedImage(1, picture(640, 480));

    const QString path = EntrancePhoto::path(42);
    QVERIFY(camera.saveImage(path, capture));

    QCOMPARE(path, QStringLiteral("pic/p/42.jpg"));
    QImageReader reader(path);
    QCOMPARE(reader.format(), QByteArray("jpeg"));
    QCOMPARE(reader.size(), QSize(320, 240));
    QVERIFY(cameraLog().contains(
        QStringLiteral("CamControl::saveImage(pic/p/42.jpg, %1)").arg(capture ? "true" : "false")));
}

void TestCamControl::saveWithoutPictureFails()
{
    QVERIFY(EntrancePhoto::ensureFolder());
    CamControl camera(false);

    QVERIFY(!camera.saveImage(EntrancePhoto::path(5), false));
    QVERIFY(!QFile::exists(EntrancePhoto::path(5)));
    QVERIFY(cameraLog().contains(
        QStringLiteral("CamControl::saveImage() - pic/p/5.jpg not saved, no picture")));

    // An unwritable target fails too and leaves the picture for the next try.
    camera.processCapturedImage(2, picture(640, 480));
    QVERIFY(!camera.saveImage(QStringLiteral("pic/p/6.unknownformat"), false));
    QVERIFY(cameraLog().contains(
        QStringLiteral("CamControl::saveImage() - pic/p/6.unknownformat not saved")));
    QVERIFY(camera.saveImage(EntrancePhoto::path(6), false));
}

// Writes beyond `bytes` fail while it lives, as on a disk that fills up mid-write.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &mPrevious);
        rlimit limited = mPrevious;
        limited.rlim_cur = bytes;
        mActive = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        if (mActive)
            setrlimit(RLIMIT_FSIZE, &mPrevious);
    }
    bool isActive() const { return mActive; }

private:
    rlimit mPrevious {};
    bool mActive = false;
};

void TestCamControl::interruptedSaveLeavesNoPhoto()
{
    QVERIFY(EntrancePhoto::ensureFolder());
    CamControl camera(false);
    QImage noise(320, 320, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, random.generate());
    camera.processCapturedImage(1, noise);

    const QString path = EntrancePhoto::path(42);
    {
        const FileSizeLimit limit(4096);
        QVERIFY(limit.isActive());
        QVERIFY(!camera.saveImage(path, false));
    }
    QVERIFY2(!QFile::exists(path), "a truncated photo is left under the entrance's name");
    QCOMPARE(QDir(QFileInfo(path).path()).entryList(QDir::Files), QStringList());

    QVERIFY(camera.saveImage(path, false));
    QCOMPARE(QImageReader(path).size(), QSize(320, 320));
}

void TestCamControl::videoDeviceNodes_data()
{
    QTest::addColumn<QStringList>("nodes");
    QTest::addColumn<bool>("camera");

    QTest::newRow("none") << QStringList() << false;
    QTest::newRow("other devices") << QStringList { "tty0", "null", "media0" } << false;
    QTest::newRow("a video node") << QStringList { "tty0", "video0" } << true;
    QTest::newRow("a later video node") << QStringList { "video2" } << true;
}

void TestCamControl::videoDeviceNodes()
{
    QFETCH(QStringList, nodes);
    QFETCH(bool, camera);
    QTemporaryDir dev;
    QVERIFY(makeDeviceFolder(dev.path(), nodes));
    QCOMPARE(VideoDeviceNodes::anyIn(dev.path()), camera);
}

void TestCamControl::withoutTakePhotoNoCapture()
{
    QTemporaryDir dev;
    QVERIFY(makeDeviceFolder(dev.path(), { QStringLiteral("video0") }));
    CamControl camera(false);
    camera.setDeviceFolder(dev.path());
    camera.openCamera();
    QTRY_VERIFY_WITH_TIMEOUT(cameraLog().contains(QStringLiteral("Camera devices:")), 20000);
    camera.updatePicture();
    camera.startCamera();

    QVERIFY(!camera.isCamera());
    const QStringList log = cameraLog();
    QCOMPARE(log.mid(0, 3), QStringList({ "", "CamControl::CamControl()", "Camera devices:" }));
    QVERIFY(!log.contains(QStringLiteral("CamControl::setCamera()")));
    QVERIFY(!log.contains(QStringLiteral("CamControl::updatePicture()")));
    QVERIFY(!log.contains(QStringLiteral("CamControl::startCamera()")));
}

void TestCamControl::noDeviceNodeNoSearch()
{
    QVERIFY(EntrancePhoto::ensureFolder());
    QTemporaryDir dev;
    QVERIFY(makeDeviceFolder(dev.path(), { QStringLiteral("tty0") }));

    // The empty list is known at once, without the multimedia backend, and no
    // camera is opened; the terminal goes on without pictures.
    CamControl camera(true);
    camera.setDeviceFolder(dev.path());
    camera.openCamera();
    QCOMPARE(cameraLog(), QStringList({ "", "CamControl::CamControl()", "Camera devices:" }));
    camera.updatePicture();
    QCoreApplication::processEvents();
    QVERIFY(!camera.isCamera());
    QVERIFY(!camera.saveImage(EntrancePhoto::path(9), false));
    QVERIFY(!QFile::exists(EntrancePhoto::path(9)));
    QVERIFY(!cameraLog().contains(QStringLiteral("CamControl::setCamera()")));
}

void TestCamControl::noCameraDevice()
{
    if (!QCameraInfo::availableCameras().isEmpty())
        QSKIP("this machine has a camera");
    QVERIFY(EntrancePhoto::ensureFolder());
    QTemporaryDir dev;
    QVERIFY(makeDeviceFolder(dev.path(), { QStringLiteral("video0") }));

    // A device node that the backend does not list: the default camera is asked
    // for on the camera thread; the terminal goes on without pictures.
    CamControl camera(true);
    camera.setDeviceFolder(dev.path());
    QVERIFY(!cameraLog().contains(QStringLiteral("Camera devices:")));
    camera.openCamera();
    camera.openCamera();
    QVERIFY(!cameraLog().contains(QStringLiteral("Camera devices:")));
    QTRY_VERIFY_WITH_TIMEOUT(cameraLog().contains(QStringLiteral("CamControl::setCamera()")),
                             20000);
    camera.updatePicture();
    QCoreApplication::processEvents();

    QVERIFY(!camera.isCamera());
    QVERIFY(!camera.saveImage(EntrancePhoto::path(9), false));
    QVERIFY(!QFile::exists(EntrancePhoto::path(9)));
    const QStringList log = cameraLog();
    QCOMPARE(log.mid(0, 4),
             QStringList(
                 { "", "CamControl::CamControl()", "Camera devices:", "CamControl::setCamera()" }));
    QVERIFY(log.contains(QStringLiteral("CamControl::updatePicture()")));
    QVERIFY(log.contains(
        QStringLiteral("CamControl::saveImage() - pic/p/9.jpg not saved, no picture")));
}

void TestCamControl::cameraState_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("logLine");
    QTest::addColumn<bool>("active");

    QTest::newRow("unloaded") << int(QCamera::UnloadedState)
                              << "CamControl::cameraStateChanged(QCamera::UnloadedState)" << false;
    QTest::newRow("loaded") << int(QCamera::LoadedState)
                            << "CamControl::cameraStateChanged(QCamera::LoadedState)" << false;
    QTest::newRow("active") << int(QCamera::ActiveState)
                            << "CamControl::cameraStateChanged(QCamera::ActiveState)" << true;
    QTest::newRow("unknown value") << 17 << "CamControl::cameraStateChanged(?)" << false;
}

void TestCamControl::cameraState()
{
    QFETCH(int, state);
    QFETCH(QString, logLine);
    QFETCH(bool, active);

    CamControl camera(false);
    QSignalSpy initDone(&camera, &CamControl::initDone);
    QSignalSpy announced(&camera, &CamControl::activeChanged);
    camera.cameraStateChanged(QCamera::ActiveState);
    camera.cameraStateChanged(static_cast<QCamera::State>(state));

    QCOMPARE(camera.isCamera(), active);
    QCOMPARE(cameraLog().last(), logLine);
    QCOMPARE(initDone.count(), active ? 2 : 1);
    // The UI follows the camera by the announcements: one per change, none without one.
    QCOMPARE(camera.property("active").toBool(), active);
    QCOMPARE(announced.count(), active ? 1 : 2);
    QCOMPARE(announced.last().at(0).toBool(), active);
}

void TestCamControl::imageProviderIdRule_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<bool>("picture");

    QTest::newRow("plain") << "userPicture" << true;
    QTest::newRow("with a counter against caching") << "userPicture/17" << true;
    QTest::newRow("inside a longer id") << "lastuserPicture?x=1" << true;
    QTest::newRow("other id") << "logo" << false;
    QTest::newRow("other case") << "userpicture" << false;
    QTest::newRow("empty id") << "" << false;
}

void TestCamControl::imageProviderIdRule()
{
    QFETCH(QString, id);
    QFETCH(bool, picture);

    CamControl camera(false);
    camera.processCapturedImage(1, ::picture(640, 480));
    CameraImageProvider provider(&camera);
    QCOMPARE(provider.imageType(), QQmlImageProviderBase::Image);

    QSize size(-5, -5);
    const QImage image = provider.requestImage(id, &size, QSize());
    QCOMPARE(image.isNull(), !picture);
    QCOMPARE(size, picture ? QSize(320, 240) : QSize(0, 0));
}

QTEST_MAIN(TestCamControl)
#include "tst_camcontrol.moc"
