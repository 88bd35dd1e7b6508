#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class Base;
class FileLog;
class QTranslator;
class ZEPSettings;

// The entry point's start sequence, in pieces that tests can drive.
namespace Startup {
QStringList arguments(int argc, char **argv);
// The debug log is written unless argv[1] contains "--no-log".
bool loggingWanted(const QStringList &arguments);
// The window fills the screen when an argument is "--full-screen" (the kiosk start).
bool fullScreenWanted(const QStringList &arguments);
// The file after "--install-identity" (empty when it has none); a null text without the option.
QString identityFile(const QStringList &arguments);
// Every argument, argv[0] included, each followed by one blank.
QString argumentLine(const QStringList &arguments);
// Reads the debug level into Zep::debugLevel, logs it and the arguments, and
// keeps the argument line in Zep::argumentLine.
void readDebugLevel(FileLog &log, ZEPSettings &settings, const QStringList &arguments);
// "zep_" + the lower-cased "global/language".
QString translationName(ZEPSettings &settings);
// Loads the translation from the working directory and logs the outcome.
bool loadTranslation(QTranslator &translator, const QString &name, FileLog &log);
// Installs the identity of the file in the working folder instead of starting the terminal;
// the exit code (TerminalIdentity::Result).
int installIdentity(int argc, char **argv, const QString &file, FileLog &log);
// The whole start, event loop and teardown; the result is the exit code. `started`, when
// given, sees the controller once it is initialised, before the event loop runs.
int run(int argc, char **argv, const std::function<void(Base &)> &started = {});
} // namespace Startup
