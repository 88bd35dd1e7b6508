#pragma once

#include <QProcess>
#include <QSize>
#include <QString>
#include <QStringList>

// An X server of the test's own (Xvfb on a display it finds free), without a window manager.
// It becomes the display of this process, so the X tools it runs act on it: the keyboard
// layout (setxkbmap), real key events and the focus (xdotool), and screenshots.
class XSession
{
public:
    ~XSession();

    bool start(QSize screen = QSize(1024, 768));
    QString display() const { return mDisplay; }
    QSize screenSize() const { return mScreen; }

    // The layout's name as setxkbmap takes it: "us", "sk", "de".
    bool setLayout(const QString &layout);
    // Runs xdotool with the arguments; its output, or a null array when it failed.
    QByteArray xdotool(const QStringList &arguments, int timeoutMs = 30000);
    // Saves the screen as a PNG file.
    bool screenshot(const QString &file);

private:
    QProcess mServer;
    QString mDisplay;
    QSize mScreen;
};
