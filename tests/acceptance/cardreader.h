#pragma once

#include <QString>
#include <QStringList>

class XSession;

// A keyboard-wedge card reader on the test's X server: it presses the keys at the US
// positions of the code's characters (a key position, not a character, whatever the
// layout), Shift together with the key for capitals as one report of the reader, then
// Enter, with the given pause after each key (xdotool).
namespace CardReader {

// The reader's keys as xdotool commands (key codes, the pauses as "sleep").
QStringList keystrokes(const QString &code, int msPerKey);
bool read(XSession &x, const QString &code, int msPerKey);
// A person pressing the key marked with the digit (its position, e.g. "+" under "sk").
bool pressDigitKey(XSession &x, int digit);

} // namespace CardReader
