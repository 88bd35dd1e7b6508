#pragma once

#include <QChar>
#include <QtGlobal>

class QKeyEvent;

// The characters of keys by their place on the keyboard, whatever the layout: a card reader
// sends key positions of a US keyboard, not characters. Positions are the native scan codes
// of X and Wayland (the evdev key code + 8); 0 means the platform gave none.
namespace KeyPositions {

// The character a card reader means by the key: a digit (main row or keypad) or a letter,
// uppercase under Shift or CapsLock; without a scan code, the key's own text when it is one
// printable character. A null QChar for any other key.
QChar cardCharacter(const QKeyEvent &event);

// The digit of the key's position (main row or keypad), or of the key itself when the
// platform gave no scan code; -1 for any other key.
int digit(quint32 nativeScanCode, int key);

} // namespace KeyPositions
