#include "core/networkproxy.h"

#include "foundation/globals.h"
#include "foundation/zepsettings.h"

#include <QDebug>

NetworkProxy::NetworkProxy(ZEPSettings *settings)
    : mSettings(settings)
{
}

bool NetworkProxy::isEnabled() const
{
    return mSettings->value(QStringLiteral("proxy/enabled"), false).toBool();
}

bool NetworkProxy::isForAll() const
{
    return mSettings->value(QStringLiteral("proxy/useForAll"), true).toBool();
}

void NetworkProxy::apply(bool applicationProxy)
{
    if (Zep::debugLevel != 0)
        qDebug("Base::setNetworkProxy(%i)", int(applicationProxy));
    const uint type = mSettings->value(QStringLiteral("proxy/type")).toUInt();
    mProxy = QNetworkProxy();
    mProxy.setType(type >= 1 && type <= 5 ? QNetworkProxy::ProxyType(type)
                                          : QNetworkProxy::DefaultProxy);
    const QString host = mSettings->value(QStringLiteral("proxy/host")).toString();
    const quint16 port = quint16(mSettings->value(QStringLiteral("proxy/port")).toUInt());
    qDebug() << "Using NetworkProxy, host:" << host << " port:" << port;
    mProxy.setHostName(host);
    mProxy.setPort(port);
    const QString user = mSettings->value(QStringLiteral("proxy/user")).toString();
    if (!user.isEmpty())
        mProxy.setUser(user);
    const QString pass = mSettings->value(QStringLiteral("proxy/pass")).toString();
    if (!pass.isEmpty())
        mProxy.setPassword(pass);
    if (mSettings->value(QStringLiteral("proxy/setCapabilities"), false).toBool())
        mProxy.setCapabilities(
            QNetworkProxy::TunnelingCapability | QNetworkProxy::ListeningCapability
            | QNetworkProxy::CachingCapability | QNetworkProxy::HostNameLookupCapability);
    if (applicationProxy) {
        qDebug("Using NetworkProxy for the entire application");
        QNetworkProxy::setApplicationProxy(mProxy);
    }
}
