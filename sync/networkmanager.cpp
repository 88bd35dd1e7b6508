#include "sync/networkmanager.h"

namespace {
const QString noAddress = QStringLiteral("0.0.0.0");
} // namespace

NetworkManager::NetworkManager(QObject *parent)
    : QObject(parent)
    , mLog(QStringLiteral("netman.log"))
{
    mLog.loguj("NetworkManager::NetworkManager()");
    mLog.loguj("Found interfaces:");
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &iface : interfaces) {
        mLog.loguj(QStringLiteral("[%1] MAC=%2 isValid=%3")
                       .arg(iface.index())
                       .arg(iface.hardwareAddress(),
                            iface.isValid() ? QStringLiteral("true") : QStringLiteral("false")));
        mLog.loguj(QStringLiteral("[%1] addressEntries:").arg(iface.index()));
        for (const QNetworkAddressEntry &entry : iface.addressEntries())
            mLog.loguj(entry.ip().toString());
        if (!mInterface.isValid()
            && qualifies(iface.isValid(), iface.hardwareAddress(), iface.flags()))
            mInterface = iface;
    }
}

bool NetworkManager::qualifies(bool valid,
                               const QString &hardwareAddress,
                               QNetworkInterface::InterfaceFlags flags)
{
    return valid && hardwareAddress.size() >= 17 && flags.testFlag(QNetworkInterface::IsUp)
        && flags.testFlag(QNetworkInterface::IsRunning)
        && !flags.testFlag(QNetworkInterface::IsLoopBack);
}

QString NetworkManager::ipOf(const QList<QNetworkAddressEntry> &entries)
{
    QString ip = noAddress;
    for (const QNetworkAddressEntry &entry : entries) {
        if (!entry.broadcast().isNull())
            ip = entry.ip().toString();
    }
    return ip;
}

QString NetworkManager::maskOf(const QList<QNetworkAddressEntry> &entries)
{
    return entries.isEmpty() ? noAddress : entries.last().netmask().toString();
}

void NetworkManager::getStatic(QString &aIP, QString &aMask, QString &aGW, QString &aDNS)
{
    mLog.loguj("NetworkManager::getStatic:");
    aIP = getIP();
    aMask = getMask();
    aGW = getGateway();
    aDNS = getDNS();
}

QString NetworkManager::getMac()
{
    const QString mac = mInterface.hardwareAddress();
    mLog.loguj(QStringLiteral("NetworkManager::getMac()= ") + mac);
    return mac;
}

QString NetworkManager::getIP()
{
    return ipOf(current().addressEntries());
}

QString NetworkManager::getMask()
{
    return maskOf(current().addressEntries());
}

QString NetworkManager::getGateway()
{
    return noAddress;
}

QString NetworkManager::getDNS()
{
    return noAddress;
}

bool NetworkManager::isNetActive()
{
    const QNetworkInterface now = current();
    return now.isValid() && now.flags().testFlag(QNetworkInterface::IsUp)
        && now.flags().testFlag(QNetworkInterface::IsRunning);
}

QNetworkInterface NetworkManager::current() const
{
    // The stored copy holds the addresses and flags of the start; ask the system again.
    if (!mInterface.isValid())
        return QNetworkInterface();
    return QNetworkInterface::interfaceFromIndex(mInterface.index());
}
