#include "foundation/zepsettings.h"
#include "core/kioskinput.h"
#include "core/uisettings.h"
#include "tests/support/workdir.h"

#include <QKeyEvent>
#include <QSignalSpy>
#include <QWindow>
#include <QtTest>

namespace {

// Wide enough that a loaded machine does not split the reader's bursts.
const int keyGapMs = 250;

// X's native modifier state.
constexpr quint32 shiftMask = 0x1;
constexpr quint32 lockMask = 0x2;
constexpr quint32 numLockMask = 0x10;

// Native scan codes (evdev + 8) of the keys a reader presses.
constexpr quint32 shiftCode = 50;
constexpr quint32 capsLockCode = 66;
constexpr quint32 returnCode = 36;
constexpr quint32 keypadEnterCode = 104;

const QString letterRows[]
    = { QStringLiteral("qwertyuiop"), QStringLiteral("asdfghjkl"), QStringLiteral("zxcvbnm") };
const quint32 letterRowCodes[] = { 24, 38, 52 };

// Writes down the keys that reach it: printable text as typed, others by name.
class KeyLog : public QWindow
{
public:
    QString keys;
    QVector<quint32> scanCodes;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            keys += QLatin1String("<Enter>");
        else if (event->key() == Qt::Key_Right)
            keys += QLatin1String("<Right>");
        else if (event->key() == Qt::Key_End)
            keys += QLatin1String("<End>");
        else
            keys += event->text();
        if (!event->text().isEmpty())
            scanCodes << event->nativeScanCode();
    }
};

// A keyboard of the given layout ("us", "sk" or "de") at the window, pressed by key
// position as a card reader does (a USB reader sends positions, not characters).
class Keyboard
{
public:
    Keyboard(QWindow *window, const QString &layout)
        : mWindow(window)
        , mLayout(layout)
    {
    }

    bool capsLock = false;
    bool numLock = true;
    bool keypadDigits = false;
    // The reader turns CapsLock on for capitals instead of holding Shift.
    bool capsLockForCapitals = false;
    // When not 0, the events carry the window system's time stamps, this far apart per key.
    int stampedMsPerKey = 0;

    // Presses the key of the US position of `character`, with Shift for a capital.
    void type(QChar character)
    {
        const bool capital = character.isUpper();
        if (capital && capsLockForCapitals && !capsLock)
            tap(Qt::Key_CapsLock, capsLockCode, {}, [this] { capsLock = true; });
        else if (!capital && capsLockForCapitals && capsLock && character.isLetter())
            tap(Qt::Key_CapsLock, capsLockCode, {}, [this] { capsLock = false; });
        const bool shift = capital && !capsLockForCapitals;
        if (shift)
            send(QEvent::KeyPress, Qt::Key_Shift, shiftCode, {});
        const quint32 code = scanCode(character.toLower());
        const QString text = textOf(character.toLower(), shift);
        const int key = keyOf(text);
        send(QEvent::KeyPress, key, code, text, shift);
        send(QEvent::KeyRelease, key, code, text, shift);
        if (shift)
            send(QEvent::KeyRelease, Qt::Key_Shift, shiftCode, {}, true);
        mStampMs += ulong(stampedMsPerKey);
    }

    void press(int key)
    {
        if (key == Qt::Key_Return && keypadDigits)
            send(QEvent::KeyPress, Qt::Key_Enter, keypadEnterCode, QStringLiteral("\r"));
        else if (key == Qt::Key_Return)
            send(QEvent::KeyPress, Qt::Key_Return, returnCode, QStringLiteral("\r"));
        else
            send(QEvent::KeyPress, key, 114, {});
    }

private:
    template<typename Toggle>
    void tap(Qt::Key key, quint32 code, const QString &text, Toggle toggle)
    {
        send(QEvent::KeyPress, key, code, text);
        toggle();
        send(QEvent::KeyRelease, key, code, text);
    }

    quint32 scanCode(QChar character) const
    {
        if (character.isDigit()) {
            const int digit = character.digitValue();
            if (keypadDigits) {
                static const quint32 keypad[] = { 90, 87, 88, 89, 83, 84, 85, 79, 80, 81 };
                return keypad[digit];
            }
            return digit == 0 ? 19 : 9 + digit;
        }
        for (int row = 0; row < 3; ++row) {
            const int at = letterRows[row].indexOf(character);
            if (at >= 0)
                return letterRowCodes[row] + at;
        }
        return 0;
    }

    // What the layout types at the position of the US character.
    QString textOf(QChar character, bool shift) const
    {
        if (character.isDigit()) {
            if (keypadDigits)
                return numLock ? QString(character) : QString();
            if (mLayout == QLatin1String("sk")) {
                static const QString unshifted = QStringLiteral("é+ľščťžýáí");
                return shift ? QString(character) : QString(unshifted.at(character.digitValue()));
            }
            static const QString shifted = QStringLiteral(")!@#$%^&*(");
            return shift ? QString(shifted.at(character.digitValue())) : QString(character);
        }
        QChar letter = character;
        if (mLayout != QLatin1String("us")
            && (letter == QLatin1Char('y') || letter == QLatin1Char('z')))
            letter = QLatin1Char(letter == QLatin1Char('y') ? 'z' : 'y');
        return shift != capsLock ? QString(letter.toUpper()) : QString(letter);
    }

    int keyOf(const QString &text) const
    {
        if (text.isEmpty())
            return Qt::Key_End; // a keypad digit without NumLock
        if (keypadDigits)
            return Qt::Key_0 + text.at(0).digitValue();
        return text.at(0).toUpper().unicode();
    }

    void send(QEvent::Type type, int key, quint32 code, const QString &text, bool shift = false)
    {
        const quint32 state
            = (shift ? shiftMask : 0) | (capsLock ? lockMask : 0) | (numLock ? numLockMask : 0);
        Qt::KeyboardModifiers modifiers = shift ? Qt::ShiftModifier : Qt::NoModifier;
        if ((code >= 79 && code <= 90) || code == keypadEnterCode)
            modifiers |= Qt::KeypadModifier;
        QKeyEvent event(type, key, modifiers, code, 0, state, text);
        if (stampedMsPerKey != 0)
            event.setTimestamp(mStampMs);
        QCoreApplication::sendEvent(mWindow, &event);
    }

    QWindow *mWindow;
    QString mLayout;
    ulong mStampMs = 0xfffffff0; // the server's clock wraps during the burst
};

} // namespace

// The card reader and a person at the same keyboard, told apart by timing, and the
// reader's code taken from the key positions whatever the layout.
class tst_KioskInput : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void keysAndCardReads_data();
    void keysAndCardReads();
    void gapByTimeStamps_data();
    void gapByTimeStamps();
    void personKeysKeepTheirPosition();
    void digitsByPosition_data();
    void digitsByPosition();

private:
    std::unique_ptr<WorkDir> mDir;
    std::unique_ptr<ZEPSettings> mSettings;
    std::unique_ptr<UiSettings> mUiSettings;
};

void tst_KioskInput::init()
{
    mDir = std::make_unique<WorkDir>();
    mSettings = std::make_unique<ZEPSettings>(QStringLiteral("zep.ini"));
    mSettings->setValue(QStringLiteral("ui/cardKeyGap"), keyGapMs);
    mUiSettings = std::make_unique<UiSettings>(mSettings.get());
}

void tst_KioskInput::cleanup()
{
    mUiSettings.reset();
    mSettings.reset();
    mDir.reset();
}

void tst_KioskInput::keysAndCardReads_data()
{
    // typed: the characters meant, pressed by US key position (capitals with Shift);
    // options: "caps" CapsLock on, "capsKey" the reader presses CapsLock for capitals,
    // "keypad" keypad digits and keypad Enter, "noNumLock" NumLock off.
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<QString>("options");
    QTest::addColumn<int>("lastKey");
    QTest::addColumn<QString>("card");
    QTest::addColumn<QString>("delivered");

    const int reader = 0;
    const int person = 2 * keyGapMs;
    const int enter = Qt::Key_Return;
    QTest::newRow("reader: digits") << "us"
                                    << "73001048" << reader << "" << enter << "73001048"
                                    << "";
    QTest::newRow("reader: capitals with Shift")
        << "us"
        << "5C17AB902" << reader << "" << enter << "5C17AB902"
        << "";
    QTest::newRow("reader: capitals first and last")
        << "us"
        << "FFFF0000" << reader << "" << enter << "FFFF0000"
        << "";
    QTest::newRow("reader, Slovak layout: digits")
        << "sk"
        << "12345678" << reader << "" << enter << "12345678"
        << "";
    QTest::newRow("reader, Slovak layout: capitals with Shift")
        << "sk"
        << "73D0F1E48" << reader << "" << enter << "73D0F1E48"
        << "";
    QTest::newRow("reader, German layout: Y and Z by position")
        << "de"
        << "ZY90az" << reader << "" << enter << "ZY90az"
        << "";
    QTest::newRow("reader, CapsLock on: Shift still gives capitals")
        << "us"
        << "5C17AB902" << reader << "caps" << enter << "5C17AB902"
        << "";
    QTest::newRow("reader, CapsLock on: letters are capitals")
        << "us"
        << "5c17ab902" << reader << "caps" << enter << "5C17AB902"
        << "";
    QTest::newRow("reader presses CapsLock for capitals")
        << "us"
        << "12AB34" << reader << "capsKey" << enter << "12AB34"
        << "";
    QTest::newRow("reader: keypad digits and keypad Enter")
        << "sk"
        << "00001003" << reader << "keypad" << enter << "00001003"
        << "";
    QTest::newRow("reader: keypad without NumLock")
        << "us"
        << "4711" << reader << "keypad noNumLock" << enter << "4711"
        << "";
    QTest::newRow("person: slow digits and Enter") << "us"
                                                   << "1234" << person << "" << enter << ""
                                                   << "1234<Enter>";
    QTest::newRow("person, Slovak layout: slow keys type the layout's text")
        << "sk"
        << "12" << person << "" << enter << ""
        << "+ľ<Enter>";
    QTest::newRow("person: slow capitals with Shift") << "us"
                                                      << "AB" << person << "" << enter << ""
                                                      << "AB<Enter>";
    QTest::newRow("person: keypad without NumLock moves")
        << "us"
        << "1" << person << "keypad noNumLock" << enter << ""
        << "<End><Enter>";
    QTest::newRow("short burst and Enter are keys") << "us"
                                                    << "12" << reader << "" << enter << ""
                                                    << "12<Enter>";
    QTest::newRow("burst ended by another key, in order")
        << "us"
        << "7301" << reader << "" << int(Qt::Key_Right) << ""
        << "7301<Right>";
    QTest::newRow("burst with capitals ended by another key, in order")
        << "us"
        << "7B0A" << reader << "" << int(Qt::Key_Right) << ""
        << "7B0A<Right>";
    QTest::newRow("burst without Enter is handed on") << "us"
                                                      << "7301" << reader << "" << 0 << ""
                                                      << "7301";
}

void tst_KioskInput::keysAndCardReads()
{
    QFETCH(QString, layout);
    QFETCH(QString, typed);
    QFETCH(int, delayMs);
    QFETCH(QString, options);
    QFETCH(int, lastKey);
    QFETCH(QString, card);
    QFETCH(QString, delivered);

    KeyLog window;
    KioskInput input(mUiSettings.get(), &window);
    QSignalSpy cards(&input, &KioskInput::cardRead);
    QSignalSpy activity(&input, &KioskInput::activity);
    Keyboard keyboard(&window, layout);
    const QStringList flags = options.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    keyboard.capsLock = flags.contains(QLatin1String("caps"));
    keyboard.capsLockForCapitals = flags.contains(QLatin1String("capsKey"));
    keyboard.keypadDigits = flags.contains(QLatin1String("keypad"));
    keyboard.numLock = !flags.contains(QLatin1String("noNumLock"));

    // A reader's burst is sent without the event loop running in between.
    for (const QChar ch : typed) {
        keyboard.type(ch);
        if (delayMs > 0)
            QTest::qWait(delayMs);
    }
    if (lastKey != 0)
        keyboard.press(lastKey);
    QTest::qWait(2 * keyGapMs);

    QCOMPARE(window.keys, delivered);
    QCOMPARE(cards.size(), card.isEmpty() ? 0 : 1);
    if (!card.isEmpty())
        QCOMPARE(cards.constFirst().at(0).toString(), card);
    QVERIFY(activity.size() >= typed.size());
}

// The gap between keys is the one at which they were typed, not at which they are handled.
void tst_KioskInput::gapByTimeStamps_data()
{
    QTest::addColumn<int>("stampedMsPerKey");
    QTest::addColumn<int>("handledMsApart");
    QTest::addColumn<QString>("card");
    QTest::addColumn<QString>("delivered");

    QTest::newRow("reader's keys handled late on a busy machine") << 5 << 2 * keyGapMs << "73001048"
                                                                  << "";
    QTest::newRow("person's keys handled in one go") << 2 * keyGapMs << 0 << ""
                                                     << "73001048<Enter>";
}

void tst_KioskInput::gapByTimeStamps()
{
    QFETCH(int, stampedMsPerKey);
    QFETCH(int, handledMsApart);
    QFETCH(QString, card);
    QFETCH(QString, delivered);

    KeyLog window;
    KioskInput input(mUiSettings.get(), &window);
    QSignalSpy cards(&input, &KioskInput::cardRead);
    Keyboard keyboard(&window, QStringLiteral("us"));
    keyboard.stampedMsPerKey = stampedMsPerKey;
    for (const QChar ch : QStringLiteral("73001048")) {
        keyboard.type(ch);
        // Blocks as a loaded machine does: the gap timer is due when the next key is handled.
        if (handledMsApart > 0)
            QTest::qSleep(handledMsApart);
    }
    keyboard.press(Qt::Key_Return);
    QTest::qWait(2 * keyGapMs);

    QCOMPARE(window.keys, delivered);
    QCOMPARE(cards.size(), card.isEmpty() ? 0 : 1);
    if (!card.isEmpty())
        QCOMPARE(cards.constFirst().at(0).toString(), card);
}

// Keys handed on after being held keep what the UI reads their position from.
void tst_KioskInput::personKeysKeepTheirPosition()
{
    KeyLog window;
    KioskInput input(mUiSettings.get(), &window);
    Keyboard keyboard(&window, QStringLiteral("sk"));

    keyboard.type(QLatin1Char('1'));
    QTRY_COMPARE(window.keys, QStringLiteral("+"));
    QCOMPARE(window.scanCodes, QVector<quint32> { 10 });
}

void tst_KioskInput::digitsByPosition_data()
{
    QTest::addColumn<quint32>("scanCode");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("digit");

    QTest::newRow("key marked 1 under the Slovak layout") << 10u << int(Qt::Key_Plus) << 1;
    QTest::newRow("key marked 0 under the Slovak layout") << 19u << 0xe9 << 0;
    QTest::newRow("key marked 1 with Shift under the Slovak layout") << 10u << int(Qt::Key_1) << 1;
    QTest::newRow("keypad 1") << 87u << int(Qt::Key_1) << 1;
    QTest::newRow("keypad 0 without NumLock") << 90u << int(Qt::Key_Insert) << 0;
    QTest::newRow("a letter key") << 24u << int(Qt::Key_Q) << -1;
    QTest::newRow("the key left of 1") << 49u << int(Qt::Key_1) << -1;
    QTest::newRow("no position: the key's own digit") << 0u << int(Qt::Key_7) << 7;
    QTest::newRow("no position, no digit") << 0u << int(Qt::Key_Plus) << -1;
}

void tst_KioskInput::digitsByPosition()
{
    QFETCH(quint32, scanCode);
    QFETCH(int, key);
    QFETCH(int, digit);

    QWindow window;
    const KioskInput input(mUiSettings.get(), &window);
    QCOMPARE(input.digitOf(scanCode, key), digit);
}

QTEST_MAIN(tst_KioskInput)
#include "tst_kioskinput.moc"
