#pragma once

#include <QJsonObject>
#include <QVariantMap>

#include <functional>

class DevCatalogue;
class DevDatabase;
class ServerBehaviour;
class SyncConfirmations;

// Builds the result of a GET of "sync" for one terminal: every list in full when the
// terminal asks for a full sync or never confirmed that list, otherwise only the
// records changed since its confirmation; remembers what each reply covered. A server
// that omits unchanged lists leaves them out of a full sync too.
class SyncListBuilder
{
public:
    enum List : uint {
        Inters = 0x1,
        People = 0x2,
        Saldo = 0x4,
        Present = 0x8,
        Timezones = 0x40,
        Grp = 0x100
    };

    SyncListBuilder(DevDatabase &db,
                    DevCatalogue &catalogue,
                    SyncConfirmations &confirmations,
                    const ServerBehaviour &behaviour);

    QJsonObject build(uint term, bool force, uint st);

private:
    QJsonValue buildList(List list, qint64 since, bool &empty);
    QJsonObject keyedRecords(const QList<QVariantMap> &rows,
                             const QString &key,
                             const std::function<QJsonValue(const QVariantMap &)> &toJson) const;

    DevDatabase &mDb;
    DevCatalogue &mCatalogue;
    SyncConfirmations &mConfirmations;
    const ServerBehaviour &mBehaviour;
};
