#pragma once

#include <QObject>
#include <QProcess>

// Wrapper of the external sound player process, driven through its standard input.
// Each file runs in a fresh process; only the current one reports its state.
class Player : public QObject
{
    Q_OBJECT
public:
    explicit Player(QObject *parent = nullptr);

    // Starts playing file; a process still running is told to end and forgotten.
    virtual void playFile(const QString &file);
    // Writes one command line to the current process; ignored when none runs.
    virtual void writeCommand(const QByteArray &command);

signals:
    void started();
    void error(QProcess::ProcessError error);
    void finished(int exitCode, QProcess::ExitStatus exitStatus);
    void readyReadStandardOutput();

private:
    QProcess *mProcess = nullptr;
};
