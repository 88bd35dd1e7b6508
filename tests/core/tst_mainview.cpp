#include "core/mainview.h"

#include "foundation/zepsettings.h"
#include "tests/support/workdir.h"

#include <QQuickItem>
#include <QQuickView>
#include <QtTest>

class tst_MainView : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void startState_data();
    void startState();
    void fullScreenKeepsTheDesktopSize();
    void documentsCompiledAheadAreShown_data();
    void documentsCompiledAheadAreShown();
    void title_data();
    void title();

private:
    std::unique_ptr<MainView> makeView();

    std::unique_ptr<WorkDir> mDir;
    std::unique_ptr<ZEPSettings> mSettings;
};

void tst_MainView::init()
{
    mDir = std::make_unique<WorkDir>();
    QVERIFY(mDir->isValid());
    mSettings = std::make_unique<ZEPSettings>(QStringLiteral("zep.ini"));
}

void tst_MainView::cleanup()
{
    mSettings.reset();
    mDir.reset();
}

std::unique_ptr<MainView> tst_MainView::makeView()
{
    // The window alone: no UI documents in the scratch folder.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("vMainLoader.qml")));
    auto view = std::make_unique<MainView>(
        mSettings.get(), FileLog(QStringLiteral("app.log")), QStringLiteral("main.qml"));
    view->createView();
    return view;
}

void tst_MainView::title_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("title");
    const QString product = QStringLiteral("Virtual terminal (V-ZEP)");
    QTest::newRow("name and id") << "Gate" << 7 << "Gate [7] | " + product;
    QTest::newRow("neither") << QString() << 0 << product;
    QTest::newRow("blank name") << "  " << 0 << product;
    QTest::newRow("name only") << "Gate" << 0 << "Gate | " + product;
    QTest::newRow("id only") << QString() << 7 << "[7] | " + product;
}

void tst_MainView::title()
{
    QFETCH(QString, name);
    QFETCH(int, id);
    MainView view(mSettings.get(), FileLog(QStringLiteral("app.log")), QStringLiteral("main.qml"));
    view.createView();
    view.setTitle(name, id);
    QTEST(view.view()->title(), "title");
}

void tst_MainView::startState_data()
{
    QTest::addColumn<bool>("fullScreen");
    QTest::addColumn<bool>("maximizedSetting");
    QTest::addColumn<Qt::WindowState>("state");
    QTest::newRow("desktop") << false << false << Qt::WindowNoState;
    QTest::newRow("desktop, maximised before") << false << true << Qt::WindowMaximized;
    QTest::newRow("kiosk") << true << false << Qt::WindowFullScreen;
    QTest::newRow("kiosk, maximised before") << true << true << Qt::WindowFullScreen;
}

void tst_MainView::startState()
{
    QFETCH(bool, fullScreen);
    QFETCH(bool, maximizedSetting);
    QFETCH(Qt::WindowState, state);
    mSettings->setValue(QStringLiteral("size/maximized"), maximizedSetting);
    const std::unique_ptr<MainView> view = makeView();
    view->show(fullScreen);
    QCOMPARE(view->view()->windowState(), state);
    QVERIFY(view->view()->isVisible());
}

void tst_MainView::fullScreenKeepsTheDesktopSize()
{
    mSettings->setValue(QStringLiteral("size/width"), 1024);
    mSettings->setValue(QStringLiteral("size/height"), 600);
    const std::unique_ptr<MainView> view = makeView();
    view->show(true);
    view->viewerResized(QSize(1920, 1080));
    QCOMPARE(mSettings->value(QStringLiteral("size/width")).toInt(), 1024);
    QCOMPARE(mSettings->value(QStringLiteral("size/height")).toInt(), 600);
    QCOMPARE(mSettings->value(QStringLiteral("size/maximized")).toBool(), false);
}

// The view shows the root document and the main document it loads, whether their
// compilation in the background is still under way or long done.
void tst_MainView::documentsCompiledAheadAreShown_data()
{
    QTest::addColumn<int>("waitMs");
    QTest::newRow("shown at once") << 0;
    QTest::newRow("shown after the compilation") << 500;
}

void tst_MainView::documentsCompiledAheadAreShown()
{
    QFETCH(int, waitMs);
    QVERIFY(QDir().mkpath(QStringLiteral("qml/ZEP")));
    const auto write = [](const QString &name, const QByteArray &text) {
        QFile file(QStringLiteral("qml/ZEP/") + name);
        return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
    };
    QVERIFY(write(QStringLiteral("vMainLoader.qml"),
                  "import QtQuick 2.15\n"
                  "Loader { objectName: \"root\"; source: \"main.qml\" }\n"));
    QVERIFY(write(QStringLiteral("main.qml"),
                  "import QtQuick 2.15\nRectangle { objectName: \"main\"; width: 10 }\n"));
    auto view = std::make_unique<MainView>(
        mSettings.get(), FileLog(QStringLiteral("app.log")), QStringLiteral("main.qml"));
    QTest::qWait(waitMs);
    view->createView();
    view->show(false);
    QVERIFY(view->view()->errors().isEmpty());
    QQuickItem *root = view->view()->rootObject();
    QVERIFY(root);
    QCOMPARE(root->objectName(), QStringLiteral("root"));
    QTRY_VERIFY(root->property("item").value<QQuickItem *>());
    QCOMPARE(root->property("item").value<QQuickItem *>()->objectName(), QStringLiteral("main"));
}

QTEST_MAIN(tst_MainView)
#include "tst_mainview.moc"
