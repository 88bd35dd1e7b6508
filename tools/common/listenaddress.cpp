#include "common/listenaddress.h"

#include <QCommandLineParser>

ListenAddress::ListenAddress(const QString &defaultPort)
    : mHostOption(QStringLiteral("host"),
                  QStringLiteral("Address to listen on."),
                  QStringLiteral("address"),
                  QStringLiteral("127.0.0.1"))
    , mPortOption(QStringLiteral("port"),
                  QStringLiteral("TCP port; 0 picks a free one."),
                  QStringLiteral("port"),
                  defaultPort)
{
}

bool ListenAddress::read(const QCommandLineParser &parser)
{
    host = parser.value(mHostOption);
    bool ok = false;
    port = parser.value(mPortOption).toInt(&ok);
    return ok && port >= 0 && port <= 65535;
}
