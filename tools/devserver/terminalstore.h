#pragma once

#include <QJsonArray>
#include <QVariantMap>

class DevDatabase;

// The terminals that registered with the server, with the attributes they reported.
class TerminalStore
{
public:
    explicit TerminalStore(DevDatabase &db);

    // A terminal that registers again (same remote-management id, or same MAC address
    // when it has none) keeps its record.
    uint registerTerminal(const QVariantMap &attributes, uint defaultFlags);
    bool update(uint id, const QVariantMap &attributes);
    bool setFlags(uint id, uint flags);
    bool remove(uint id);

    QVariantMap find(uint id) const; // empty when unknown or removed
    QJsonArray list() const;

private:
    uint findRegistered(const QVariantMap &attributes) const;

    DevDatabase &mDb;
};
