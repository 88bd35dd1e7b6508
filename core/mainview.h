#pragma once

#include "foundation/filelog.h"

#include <QObject>
#include <QSize>

#include <functional>
#include <memory>
#include <vector>

class QQmlComponent;
class QQmlEngine;
class QQuickView;
class ZEPSettings;

// The terminal's window: the view of the UI documents with the context objects,
// its size kept in the settings, and its title.
class MainView : public QObject
{
    Q_OBJECT
public:
    // Makes the UI's engine and starts compiling the documents of the first screen
    // in the background (the root document and mainDocument, which the root loads),
    // so that the components can start meanwhile; the window comes with createView().
    MainView(ZEPSettings *settings,
             const FileLog &applicationLog,
             const QString &mainDocument,
             QObject *parent = nullptr);
    ~MainView() override;

    void createView();
    QQuickView *view() const { return mView.get(); }

    // Logs the line to the application log, then exposes the object to the UI.
    void expose(const QString &name, QObject *object, const QString &logLine);
    // Loads the main document and shows the window full-screen (the kiosk start: the
    // whole screen and the keyboard, also without a window manager) or at the size of the
    // settings.
    void show(bool fullScreen = false);
    void setTitle(const QString &terminalName, int terminalId);
    // Runs the work once, in the event loop after the first frame is on screen:
    // what the idle screen does not need must not hold it back.
    void afterFirstFrame(QObject *context, std::function<void()> work);

public slots:
    void viewerResized(const QSize &size);

signals:
    // The UI asked to quit (Qt.quit()).
    void quitRequested();

private:
    void showAsKiosk();
    bool otherWindowOpen() const;

    ZEPSettings *mSettings;
    FileLog mLog;
    // Outlives the view, which does not own it.
    std::unique_ptr<QQmlEngine> mEngine;
    // Held until the view has loaded the documents, so that they stay compiled.
    std::vector<std::unique_ptr<QQmlComponent>> mCompiling;
    std::unique_ptr<QQuickView> mView;
};
