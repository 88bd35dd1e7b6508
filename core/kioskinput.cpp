#include "core/kioskinput.h"

#include "core/uisettings.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWindow>

namespace {

bool isPointerOrKey(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
        return true;
    default:
        return false;
    }
}

bool isPrintable(const QKeyEvent *event)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString text = event->text();
    return text.size() == 1 && text.at(0).isPrint();
}

bool isEnter(const QKeyEvent *event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

} // namespace

KioskInput::KioskInput(const UiSettings *settings, QWindow *window, QObject *parent)
    : QObject(parent)
    , mSettings(settings)
    , mWindow(window)
{
    mGapTimer.setSingleShot(true);
    connect(&mGapTimer, &QTimer::timeout, this, &KioskInput::handOn);
    window->installEventFilter(this);
}

bool KioskInput::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != mWindow || mHandingOn)
        return QObject::eventFilter(watched, event);
    if (isPointerOrKey(event->type()))
        emit activity();
    if (event->type() == QEvent::KeyPress)
        return keyPressed(static_cast<QKeyEvent *>(event));
    return QObject::eventFilter(watched, event);
}

// True when the key is taken here (held back or part of a card read).
bool KioskInput::keyPressed(const QKeyEvent *event)
{
    const bool inBurst = !mHeld.isEmpty() && mSinceLastKey.elapsed() <= mGap;
    if (isPrintable(event) && !event->isAutoRepeat()) {
        if (!inBurst)
            handOn();
        hold(event);
        return true;
    }
    if (isEnter(event) && inBurst && mHeld.size() >= minimumCodeLength) {
        QString code;
        for (const HeldKey &held : qAsConst(mHeld))
            code += held.text;
        mHeld.clear();
        mGapTimer.stop();
        emit cardRead(code);
        return true;
    }
    handOn();
    return false;
}

void KioskInput::hold(const QKeyEvent *event)
{
    if (mHeld.isEmpty())
        mGap = mSettings->cardKeyGap();
    mHeld.append({ event->key(), event->modifiers(), event->text() });
    mSinceLastKey.start();
    mGapTimer.start(mGap);
}

void KioskInput::handOn()
{
    mGapTimer.stop();
    const QVector<HeldKey> keys = std::exchange(mHeld, {});
    mHandingOn = true;
    for (const HeldKey &held : keys) {
        QKeyEvent press(QEvent::KeyPress, held.key, held.modifiers, held.text);
        QCoreApplication::sendEvent(mWindow, &press);
    }
    mHandingOn = false;
}
