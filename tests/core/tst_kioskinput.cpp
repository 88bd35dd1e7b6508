#include "core/foundation/zepsettings.h"
#include "core/kioskinput.h"
#include "core/uisettings.h"
#include "tests/support/workdir.h"

#include <QKeyEvent>
#include <QSignalSpy>
#include <QWindow>
#include <QtTest>

namespace {

const int keyGapMs = 100;

// Writes down the keys that reach it: printable text as typed, others by name.
class KeyLog : public QWindow
{
public:
    QString keys;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_Return)
            keys += QLatin1String("<Enter>");
        else if (event->key() == Qt::Key_Right)
            keys += QLatin1String("<Right>");
        else
            keys += event->text();
    }
};

} // namespace

// The card reader and a person at the same keyboard, told apart by timing.
class tst_KioskInput : public QObject
{
    Q_OBJECT

private slots:
    void keysAndCardReads_data();
    void keysAndCardReads();
};

void tst_KioskInput::keysAndCardReads_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<int>("lastKey");
    QTest::addColumn<QString>("card");
    QTest::addColumn<QString>("delivered");

    QTest::newRow("reader: burst and Enter")
        << "73D0F1E48" << 0 << int(Qt::Key_Return) << "73D0F1E48" << QString();
    QTest::newRow("person: slow digits and Enter")
        << "1234" << 2 * keyGapMs << int(Qt::Key_Return) << QString() << "1234<Enter>";
    QTest::newRow("short burst and Enter are keys")
        << "12" << 0 << int(Qt::Key_Return) << QString() << "12<Enter>";
    QTest::newRow("burst ended by another key, in order")
        << "7301" << 0 << int(Qt::Key_Right) << QString() << "7301<Right>";
    QTest::newRow("burst without Enter is handed on") << "7301" << 0 << 0 << QString() << "7301";
}

void tst_KioskInput::keysAndCardReads()
{
    QFETCH(QString, typed);
    QFETCH(int, delayMs);
    QFETCH(int, lastKey);
    QFETCH(QString, card);
    QFETCH(QString, delivered);

    WorkDir dir;
    ZEPSettings settings(QStringLiteral("zep.ini"));
    settings.setValue(QStringLiteral("ui/cardKeyGap"), keyGapMs);
    UiSettings uiSettings(&settings);
    KeyLog window;
    KioskInput input(&uiSettings, &window);
    QSignalSpy cards(&input, &KioskInput::cardRead);
    QSignalSpy activity(&input, &KioskInput::activity);

    // The delay argument of keyClick does not wait for a window: wait here.
    for (const QChar ch : typed) {
        QTest::keyClick(&window, ch.toLatin1());
        QTest::qWait(delayMs);
    }
    if (lastKey != 0)
        QTest::keyClick(&window, Qt::Key(lastKey));
    QTest::qWait(2 * keyGapMs);

    QCOMPARE(window.keys, delivered);
    QCOMPARE(cards.size(), card.isEmpty() ? 0 : 1);
    if (!card.isEmpty())
        QCOMPARE(cards.constFirst().at(0).toString(), card);
    QVERIFY(activity.size() >= typed.size());
}

QTEST_MAIN(tst_KioskInput)
#include "tst_kioskinput.moc"
