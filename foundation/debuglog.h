#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>

// The process's message handler: every diagnostic line of every thread goes to
// "zep-debug.log" in the debug-log folder (or to the console when logging is off
// or the file cannot be written).
namespace DebugLog {
// "D: ", "W: ", "C: ", "F: ", or empty for any other type.
QString prefix(QtMsgType type);
// One line without its newline: "yyMMdd-hhmmss " + prefix + text.
QString line(QtMsgType type, const QString &text, const QDateTime &when);
// Path of the debug log file.
QString filePath();
// Installed with qInstallMessageHandler; aborts after a fatal message.
void handler(QtMsgType type, const QMessageLogContext &context, const QString &text);
} // namespace DebugLog
