#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

class XSession;

// The built terminal as the README's "run" starts it, in a fresh working folder beside the
// documents, sounds and translations of the build, full-screen on the test's X server. Seen
// from outside only: its files (data.db through sqlite3, interrupts.log) and its window.
class KioskTerminal
{
public:
    explicit KioskTerminal(XSession *x);
    ~KioskTerminal();

    bool prepare();
    QString folder() const { return mDir.path(); }
    // Writes settings into zep.ini (only while the terminal is not running).
    bool setSettings(const QVariantMap &values);
    // Where its sounds go (PULSE_SERVER), before start().
    void setSoundServer(const QString &address) { mSoundServer = address; }

    // Starts the terminal and waits until its window has the keyboard, as nobody else gives it.
    // Installs the terminal's identity from a file, as an installation does; a terminal
    // without one registers again at every start.
    bool installIdentity(const QString &file);
    bool start();
    // SIGKILL, as a crash or a power cut of the program.
    void kill();
    // Ends the terminal as its session does (SIGTERM).
    void stop();
    bool isRunning() const { return mProcess.state() == QProcess::Running; }
    qint64 pid() const { return mProcess.processId(); }

    // Rows of the query on a database of the folder (data.db, or zep.db for the types),
    // columns separated by '|'; ok tells whether sqlite3 ran.
    QStringList query(const QString &sql,
                      bool *ok = nullptr,
                      const QString &database = QStringLiteral("data.db")) const;
    QStringList journal() const; // the lines of interrupts.log

private:
    bool startOnce();
    XSession *mX;
    QTemporaryDir mDir;
    QString mSoundServer;
    QProcess mProcess;
};
