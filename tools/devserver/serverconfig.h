#pragma once

#include <QHash>
#include <QString>

// Server settings read from the seed file at every start.
struct ServerConfig
{
    QString colorGroups; // sent to a terminal when it registers
    QString schemaToken; // when set, a "Pragma" token must match it
    bool requireAuth = false; // requests without a credential (and token) are refused
    QHash<uint, QString> logins; // login id -> token of the "Authorization" credential
    uint terminalFlags = 0; // sync flags of a newly registered terminal
};
