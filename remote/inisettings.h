#pragma once

#include <QString>

// Whether text reads as a settings file: INI without format errors and with at least
// one key. Checked before a settings text from outside replaces the terminal's own.
bool isIniSettings(const QString &text);
