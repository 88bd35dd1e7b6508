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
    return mSettings->value(Setting::proxyEnabled).toBool();
}

bool NetworkProxy::isForAll() const
{
    return mSettings->value(Setting::proxyForAll).toBool();
}

void NetworkProxy::apply(bool applicationProxy)
{
    if (Zep::debugLevel != 0)
        qDebug("Base::setNetworkProxy(%i)", int(applicationProxy));
    const uint type = mSettings->value(Setting::proxyType).toUInt();
    mProxy = QNetworkProxy();
    mProxy.setType(type >= 1 && type <= 5 ? QNetworkProxy::ProxyType(type)
                                          : QNetworkProxy::DefaultProxy);
    const QString host = mSettings->value(Setting::proxyHost).toString();
    const quint16 port = quint16(mSettings->value(Setting::proxyPort).toUInt());
    qDebug() << "Using NetworkProxy, host:" << host << " port:" << port;
    mProxy.setHostName(host);
    mProxy.setPort(port);
    const QString user = mSettings->value(Setting::proxyUser).toString();
    if (!user.isEmpty())
        mProxy.setUser(user);
    const QString pass = mSettings->value(Setting::proxyPassword).toString();
    if (!pass.isEmpty())
        mProxy.setPassword(pass);
    if (mSettings->value(Setting::proxyCapabilities).toBool())
        mProxy.setCapabilities(
            QNetworkProxy::TunnelingCapability | QNetworkProxy::ListeningCapability
            | QNetworkProxy::CachingCapability | QNetworkProxy::HostNameLookupCapability);
    if (applicationProxy) {
        qDebug("Using NetworkProxy for the entire application");
        QNetworkProxy::setApplicationProxy(mProxy);
    }
}
