#include "core/keypositions.h"

#include <QKeyEvent>

namespace {

// X's lock modifier in the native modifier state: CapsLock is on.
constexpr quint32 capsLockMask = 0x2;

// The standard US positions: native scan code → character (letters in lowercase).
QChar characterAt(quint32 scanCode)
{
    static const char mainRow[] = "1234567890"; // 10–19
    static const char upperRow[] = "qwertyuiop"; // 24–33
    static const char homeRow[] = "asdfghjkl"; // 38–46
    static const char lowerRow[] = "zxcvbnm"; // 52–58
    struct Run
    {
        quint32 first;
        const char *characters;
    };
    static const Run runs[]
        = { { 10, mainRow }, { 24, upperRow }, { 38, homeRow }, { 52, lowerRow },
            { 79, "789" },   { 83, "456" },    { 87, "123" },   { 90, "0" } };
    for (const Run &run : runs) {
        if (scanCode >= run.first && scanCode < run.first + qstrlen(run.characters))
            return QLatin1Char(run.characters[scanCode - run.first]);
    }
    return {};
}

} // namespace

QChar KeyPositions::cardCharacter(const QKeyEvent &event)
{
    if (event.nativeScanCode() == 0) {
        const QString text = event.text();
        return text.size() == 1 && text.at(0).isPrint() ? text.at(0) : QChar();
    }
    const QChar character = characterAt(event.nativeScanCode());
    const bool upper
        = event.modifiers().testFlag(Qt::ShiftModifier) || (event.nativeModifiers() & capsLockMask);
    return upper ? character.toUpper() : character;
}

int KeyPositions::digit(quint32 nativeScanCode, int key)
{
    if (nativeScanCode == 0)
        return key >= Qt::Key_0 && key <= Qt::Key_9 ? key - Qt::Key_0 : -1;
    const QChar character = characterAt(nativeScanCode);
    return character.isDigit() ? character.digitValue() : -1;
}
