#include "devserver/requestauthenticator.h"

#include "foundation/bodyencoding.h"
#include "devserver/devexchange.h"

RequestAuthenticator::RequestAuthenticator(const ServerConfig &config)
    : mConfig(config)
{
}

int RequestAuthenticator::check(const DevRequest &request, QString &message) const
{
    const QByteArray authorization = request.header("Authorization").trimmed();
    if (authorization.isEmpty()) {
        if (mConfig.requireAuth) {
            message = QStringLiteral("Missing credential");
            return 401;
        }
    } else {
        const QByteArray scheme = "ZEPSYNC ";
        const QString credential
            = QString::fromUtf8(decodeBody(authorization.mid(scheme.size()).trimmed()));
        const int colon = credential.lastIndexOf(QLatin1Char(':'));
        bool idOk = false;
        const uint id = credential.mid(colon + 1).toUInt(&idOk);
        const QString token = credential.left(colon);
        if (!authorization.startsWith(scheme) || colon <= 0 || !idOk || !mConfig.logins.contains(id)
            || mConfig.logins.value(id) != token) {
            message = QStringLiteral("Invalid credential");
            return 401;
        }
    }

    if (mConfig.schemaToken.isEmpty())
        return 0;
    const QByteArray pragma = request.header("Pragma").trimmed();
    if (pragma.isEmpty()) {
        if (mConfig.requireAuth) {
            message = QStringLiteral("Missing schema token");
            return 403;
        }
        return 0;
    }
    const int equals = pragma.indexOf('=');
    const QString token = QString::fromUtf8(pragma.mid(equals + 1).trimmed());
    if (equals < 0 || pragma.left(equals).trimmed() != "token" || token != mConfig.schemaToken) {
        message = QStringLiteral("Invalid schema token");
        return 403;
    }
    return 0;
}
