#include "core/kioskinput.h"

#include "core/keypositions.h"
#include "core/uisettings.h"

#include <QGuiApplication>
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

// The character the key adds to a card code, or a null QChar.
QChar codeCharacter(const QKeyEvent *event)
{
    if (event->isAutoRepeat()
        || event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return {};
    return KeyPositions::cardCharacter(*event);
}

// Keys that only change what other keys type; a reader presses Shift for capitals.
bool isModifier(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Shift:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_AltGr:
    case Qt::Key_Mode_switch:
        return true;
    default:
        return false;
    }
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
    connect(&mGapTimer, &QTimer::timeout, this, &KioskInput::gapExpired);
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

int KioskInput::digitOf(quint32 nativeScanCode, int key) const
{
    return KeyPositions::digit(nativeScanCode, key);
}

// True when the key is taken here (held back or part of a card read).
bool KioskInput::keyPressed(const QKeyEvent *event)
{
    if (isModifier(event))
        return false;
    const bool inBurst = !mHeld.empty() && followsWithinGap(event);
    const QChar character = codeCharacter(event);
    if (!character.isNull()) {
        if (!inBurst)
            handOn();
        hold(event, character);
        return true;
    }
    if (isEnter(event) && inBurst && mCode.size() >= minimumCodeLength) {
        const QString code = std::exchange(mCode, {});
        mHeld.clear();
        mGapTimer.stop();
        emit cardRead(code);
        return true;
    }
    handOn();
    return false;
}

bool KioskInput::followsWithinGap(const QKeyEvent *event) const
{
    // X time stamps are milliseconds of the server's clock, wrapping at 32 bits.
    if (event->timestamp() != 0 && mLastKeyTimestamp != 0)
        return quint32(event->timestamp()) - quint32(mLastKeyTimestamp) <= quint32(mGap);
    return mSinceLastKey.elapsed() <= mGap;
}

void KioskInput::hold(const QKeyEvent *event, QChar character)
{
    if (mHeld.empty())
        mGap = mSettings->cardKeyGap();
    mHeld.push_back(*event);
    mCode += character;
    mSinceLastKey.start();
    mLastKeyTimestamp = event->timestamp();
    mGapTimer.start(mGap);
}

void KioskInput::gapExpired()
{
    // While this process was not running, the rest of a burst may have been typed in time and
    // still wait in the window system's queue: take it in first. A key held meanwhile starts
    // the gap again; an Enter or another key has already settled the burst.
    if (!mCatchingUp) {
        mCatchingUp = true;
        QGuiApplication::sync();
        mCatchingUp = false;
        if (mGapTimer.isActive() || mHeld.empty())
            return;
    }
    handOn();
}

void KioskInput::handOn()
{
    mGapTimer.stop();
    mCode.clear();
    std::vector<QKeyEvent> keys = std::exchange(mHeld, {});
    mHandingOn = true;
    for (QKeyEvent &press : keys)
        QCoreApplication::sendEvent(mWindow, &press);
    mHandingOn = false;
}
