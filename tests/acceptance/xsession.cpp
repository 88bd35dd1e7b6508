#include "tests/acceptance/xsession.h"

#include "foundation/commandrunner.h"

#include <QDir>
#include <QFileInfo>
#include <QtTest>

XSession::~XSession()
{
    if (mServer.state() != QProcess::NotRunning) {
        mServer.terminate();
        if (!mServer.waitForFinished(5000))
            mServer.kill();
        mServer.waitForFinished(5000);
    }
}

bool XSession::start(QSize screen)
{
    mScreen = screen;
    // Xvfb picks a free display itself and writes its number to the given descriptor.
    mServer.start(QStringLiteral("Xvfb"),
                  { QStringLiteral("-displayfd"),
                    QStringLiteral("1"),
                    QStringLiteral("-screen"),
                    QStringLiteral("0"),
                    QStringLiteral("%1x%2x24").arg(screen.width()).arg(screen.height()),
                    QStringLiteral("-nolisten"),
                    QStringLiteral("tcp") });
    if (!mServer.waitForStarted(10000))
        return false;
    QByteArray number;
    const bool answered = QTest::qWaitFor(
        [&] {
            number += mServer.readAllStandardOutput();
            return number.contains('\n') || mServer.state() != QProcess::Running;
        },
        20000);
    if (!answered || !number.contains('\n'))
        return false;
    mDisplay = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
    qputenv("DISPLAY", mDisplay.toLatin1());
    return true;
}

bool XSession::setLayout(const QString &layout)
{
    return CommandRunner::instance()->run(QStringLiteral("setxkbmap"),
                                          { QStringLiteral("-display"), mDisplay, layout })
        == 0;
}

QByteArray XSession::xdotool(const QStringList &arguments, int timeoutMs)
{
    QByteArray output;
    if (CommandRunner::instance()->capture(QStringLiteral("xdotool"), arguments, output, timeoutMs)
        != 0)
        return {};
    return output.isNull() ? QByteArray("") : output;
}

bool XSession::screenshot(const QString &file)
{
    if (!QDir().mkpath(QFileInfo(file).absolutePath()))
        return false;
    return CommandRunner::instance()->run(QStringLiteral(ZEP_SCREEN_GRAB), { file }) == 0;
}
