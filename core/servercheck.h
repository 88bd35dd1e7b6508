#pragma once

#include <QObject>
#include <QString>

class AsyncPinger;

// Asks an attendance server whether it answers, without touching the address
// the synchronisation uses: for trying an address before it is saved.
class ServerCheck : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool running READ running NOTIFY runningChanged)
public:
    explicit ServerCheck(QObject *parent = nullptr);

    bool running() const { return mRunning; }

public slots:
    void start(const QString &host, int port);

signals:
    void runningChanged();
    // The server at host:port answered its reachability page (or not).
    void finished(bool answered, const QString &host, int port);

private:
    void done(bool answered);

    AsyncPinger *mPinger;
    bool mRunning = false;
};
