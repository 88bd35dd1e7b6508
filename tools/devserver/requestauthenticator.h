#pragma once

#include "devserver/serverconfig.h"

#include <QString>

struct DevRequest;

// Checks the credential ("Authorization: ZEPSYNC ...") and the schema token
// ("Pragma: token = ...") of a protocol request against the server settings.
class RequestAuthenticator
{
public:
    explicit RequestAuthenticator(const ServerConfig &config);

    // 0 when the request may pass, else the error status with `message` set.
    int check(const DevRequest &request, QString &message) const;

private:
    const ServerConfig &mConfig;
};
