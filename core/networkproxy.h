#pragma once

#include <QNetworkProxy>

class ZEPSettings;

// The network proxy of the "proxy/..." keys: made application-wide, or kept for
// the remote-management client alone.
class NetworkProxy
{
public:
    explicit NetworkProxy(ZEPSettings *settings);

    // "proxy/enabled" (default false) and "proxy/useForAll" (default true).
    bool isEnabled() const;
    bool isForAll() const;
    // Builds the proxy from the settings; with applicationProxy it becomes the
    // proxy of the whole application.
    void apply(bool applicationProxy);
    QNetworkProxy proxy() const { return mProxy; }

private:
    ZEPSettings *mSettings;
    QNetworkProxy mProxy;
};
