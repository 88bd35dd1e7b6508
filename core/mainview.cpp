#include "core/mainview.h"

#include "foundation/globals.h"
#include "foundation/zepsettings.h"

#include <QDebug>
#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickView>
#include <QScreen>
#include <QStringList>
#include <QUrl>

#include <algorithm>
#include <memory>

namespace {
QUrl rootDocument()
{
    return QUrl::fromLocalFile(QStringLiteral("qml/ZEP/vMainLoader.qml"));
}
} // namespace

MainView::MainView(ZEPSettings *settings,
                   const FileLog &applicationLog,
                   const QString &mainDocument,
                   QObject *parent)
    : QObject(parent)
    , mSettings(settings)
    , mLog(applicationLog)
    , mEngine(std::make_unique<QQmlEngine>())
{
    const QUrl root = mEngine->baseUrl().resolved(rootDocument());
    for (const QUrl &document : { root, root.resolved(QUrl(mainDocument)) })
        mCompiling.push_back(
            std::make_unique<QQmlComponent>(mEngine.get(), document, QQmlComponent::Asynchronous));
    mEngine->rootContext()->setContextProperty(QStringLiteral("jeVZEP"), true);
    connect(mEngine.get(), &QQmlEngine::quit, this, &MainView::quitRequested);
}

void MainView::createView()
{
    mLog.loguj("Vytvaram QmlApplicationviewer->.");
    mView = std::make_unique<QQuickView>(mEngine.get(), nullptr);
    mView->setResizeMode(QQuickView::SizeRootObjectToView);
}

MainView::~MainView() = default;

void MainView::expose(const QString &name, QObject *object, const QString &logLine)
{
    mLog.loguj(logLine);
    mView->rootContext()->setContextProperty(name, object);
}

void MainView::show(bool fullScreen)
{
    mView->setSource(rootDocument());
    mCompiling.clear();
    for (const QQmlError &error : mView->errors())
        qWarning() << "Base::init():" << error.toString();
    mView->setMinimumSize(QSize(800, 480));
    mView->resize(mSettings->value(Setting::windowWidth).toInt(),
                  mSettings->value(Setting::windowHeight).toInt());
    if (fullScreen)
        showAsKiosk();
    else if (mSettings->value(Setting::windowMaximized).toBool())
        mView->showMaximized();
    else
        mView->showNormal();
    const auto resized = [this] { viewerResized(mView->size()); };
    connect(mView.get(), &QWindow::widthChanged, this, resized);
    connect(mView.get(), &QWindow::heightChanged, this, resized);
}

// Without a window manager neither the full-screen state nor the keyboard focus is given
// by anybody else: the window takes the screen's geometry itself and the keyboard at start
// and whenever the keyboard leaves it while no other window of ours is open.
void MainView::showAsKiosk()
{
    QScreen *screen = mView->screen();
    mView->setGeometry(screen->geometry());
    connect(screen, &QScreen::geometryChanged, mView.get(), [this](const QRect &geometry) {
        mView->setGeometry(geometry);
    });
    mView->showFullScreen();
    mView->requestActivate();
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow *focus) {
        if (!focus && !otherWindowOpen())
            QMetaObject::invokeMethod(mView.get(), &QWindow::requestActivate, Qt::QueuedConnection);
    });
}

bool MainView::otherWindowOpen() const
{
    const QWindowList windows = QGuiApplication::topLevelWindows();
    return std::any_of(windows.cbegin(), windows.cend(), [this](const QWindow *window) {
        return window != mView.get() && window->isVisible();
    });
}

void MainView::setTitle(const QString &terminalName, int terminalId)
{
    // Only what is known: no empty name, no id 0.
    QStringList terminal;
    if (!terminalName.trimmed().isEmpty())
        terminal << terminalName.trimmed();
    if (terminalId != 0)
        terminal << QStringLiteral("[%1]").arg(terminalId);
    const QString product = QCoreApplication::translate("Base", "Virtual terminal (V-ZEP)");
    mView->setTitle(terminal.isEmpty()
                        ? product
                        : terminal.join(QLatin1Char(' ')) + QStringLiteral(" | ") + product);
}

void MainView::afterFirstFrame(QObject *context, std::function<void()> work)
{
    // Queued, so the work runs once the frame is out, not inside its swap.
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = connect(
        mView.get(),
        &QQuickWindow::frameSwapped,
        context,
        [connection, work] {
            if (QObject::disconnect(*connection))
                work();
        },
        Qt::QueuedConnection);
}

void MainView::viewerResized(const QSize &size)
{
    QCoreApplication::processEvents();
    // The screen of a full-screen start is not the size of the window on a desktop.
    if (mView->windowStates().testFlag(Qt::WindowFullScreen))
        return;
    const bool maximized = mView->windowStates().testFlag(Qt::WindowMaximized);
    if (Zep::debugLevel != 0)
        qDebug() << "Base::viewerResized() - size:" << size.width() << "x" << size.height()
                 << "  maximized:" << maximized;
    if (!maximized) {
        mSettings->setValue(Setting::windowWidth.name, size.width());
        mSettings->setValue(Setting::windowHeight.name, size.height());
        mSettings->setValue(Setting::windowMaximized.name, false);
    } else {
        mSettings->setValue(Setting::windowMaximized.name, true);
    }
}
