#pragma once

#include "foundation/filelog.h"

#include <QNetworkAddressEntry>
#include <QNetworkInterface>
#include <QObject>

// The terminal's own network connection: one interface chosen at construction
// (the first valid, up and running, non-loop-back one with a full MAC address)
// answers every question. Diagnostics go to "netman.log".
class NetworkManager : public QObject
{
    Q_OBJECT
public:
    explicit NetworkManager(QObject *parent = nullptr);

    // The choice rule, applied to the properties of one interface.
    static bool
    qualifies(bool valid, const QString &hardwareAddress, QNetworkInterface::InterfaceFlags flags);
    // IP of the last entry with a broadcast address (IPv4); "0.0.0.0" when none.
    static QString ipOf(const QList<QNetworkAddressEntry> &entries);
    // Net mask of the last entry; "0.0.0.0" when none.
    static QString maskOf(const QList<QNetworkAddressEntry> &entries);

    // Fills the static configuration shown in the settings screen.
    void getStatic(QString &aIP, QString &aMask, QString &aGW, QString &aDNS);

signals:
    void onSettingsChanged();

public slots:
    QString getMac();
    QString getIP();
    QString getMask();
    QString getGateway();
    QString getDNS();
    bool isNetActive();

private:
    // The chosen interface as the system reports it now; invalid when none was chosen.
    QNetworkInterface current() const;

    FileLog mLog;
    QNetworkInterface mInterface;
};
