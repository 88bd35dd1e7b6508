#pragma once

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QObject>
#include <QString>
#include <QTimer>

#include <vector>

class QWindow;
class UiSettings;

// Tells the card reader's typing from a person's keys at the window: the reader
// types the code as a burst of keys closed by Enter. Keys of a code character (a
// digit or letter by its position, see KeyPositions) are held back for the key gap
// ("ui/cardKeyGap" ms); a burst of at least minimumCodeLength of them closed by
// Enter is reported as cardRead and never reaches the UI, anything else is handed
// on unchanged and in order. Modifier keys pass through and neither end nor join a
// burst. Every key and pointer event is reported as activity. The gap between keys is
// taken from the window system's time stamps where the events carry them, so that keys
// handled late, on a busy machine, still count as typed when they were typed.
class KioskInput : public QObject
{
    Q_OBJECT
public:
    static constexpr int minimumCodeLength = 4;

    KioskInput(const UiSettings *settings, QWindow *window, QObject *parent = nullptr);

    // The digit of a key by its position, for the UI's digit shortcuts; -1 for other keys.
    Q_INVOKABLE int digitOf(quint32 nativeScanCode, int key) const;

signals:
    void activity();
    void cardRead(const QString &code);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool keyPressed(const QKeyEvent *event);
    bool followsWithinGap(const QKeyEvent *event) const;
    void hold(const QKeyEvent *event, QChar character);
    void gapExpired();
    // Delivers the held keys to the window as typed.
    void handOn();

    const UiSettings *mSettings;
    QWindow *mWindow;
    std::vector<QKeyEvent> mHeld;
    QString mCode;
    QElapsedTimer mSinceLastKey;
    ulong mLastKeyTimestamp = 0;
    QTimer mGapTimer;
    int mGap = 0;
    bool mHandingOn = false;
    bool mCatchingUp = false;
};
