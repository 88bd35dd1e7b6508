#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVector>

class QKeyEvent;
class QWindow;
class UiSettings;

// Tells the card reader's typing from a person's keys at the window: the reader
// types the code as a burst of characters closed by Enter. Printable keys are
// held back for the key gap ("ui/cardKeyGap" ms); a burst of at least
// minimumCodeLength characters closed by Enter is reported as cardRead and never
// reaches the UI, anything else is handed on unchanged and in order. Every key
// and pointer event is reported as activity.
class KioskInput : public QObject
{
    Q_OBJECT
public:
    static constexpr int minimumCodeLength = 4;

    KioskInput(const UiSettings *settings, QWindow *window, QObject *parent = nullptr);

signals:
    void activity();
    void cardRead(const QString &code);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct HeldKey
    {
        int key;
        Qt::KeyboardModifiers modifiers;
        QString text;
    };

    bool keyPressed(const QKeyEvent *event);
    void hold(const QKeyEvent *event);
    // Delivers the held keys to the window as typed.
    void handOn();

    const UiSettings *mSettings;
    QWindow *mWindow;
    QVector<HeldKey> mHeld;
    QElapsedTimer mSinceLastKey;
    QTimer mGapTimer;
    int mGap = 0;
    bool mHandingOn = false;
};
