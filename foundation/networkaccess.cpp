#include "foundation/networkaccess.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>

NetworkAccess::NetworkAccess(QObject *parent)
    : QObject(parent)
{
}

QNetworkAccessManager *NetworkAccess::manager()
{
    if (!mManager) {
        mManager = new QNetworkAccessManager(this);
        mManager->setProxy(mProxy);
        connect(mManager, &QNetworkAccessManager::finished, this, &NetworkAccess::finished);
    }
    return mManager;
}

QNetworkProxy NetworkAccess::proxy() const
{
    return mManager ? mManager->proxy() : mProxy;
}

void NetworkAccess::setProxy(const QNetworkProxy &proxy)
{
    mProxy = proxy;
    if (mManager)
        mManager->setProxy(proxy);
}
