#include "core/servercheck.h"

#include "sync/asyncpinger.h"

#include <QHostAddress>

ServerCheck::ServerCheck(QObject *parent)
    : QObject(parent)
    , mPinger(new AsyncPinger(QString(), 80, this))
{
    connect(mPinger, &AsyncPinger::pingFinished, this, &ServerCheck::done);
}

void ServerCheck::start(const QString &host, int port)
{
    if (mRunning)
        return;
    mPinger->setHost(host.trimmed());
    mPinger->setPort(uint(port));
    mRunning = true;
    emit runningChanged();
    // No address, or the default one that names no server: nothing to ask.
    if (host.trimmed().isEmpty() || QHostAddress(host.trimmed()) == QHostAddress::AnyIPv4
        || port < 1 || port > 65535) {
        done(false);
        return;
    }
    mPinger->doPing();
}

void ServerCheck::done(bool answered)
{
    mRunning = false;
    emit runningChanged();
    emit finished(answered, mPinger->host, int(mPinger->port));
}
