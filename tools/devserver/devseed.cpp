#include "devserver/devseed.h"

#include "devserver/devcatalogue.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

bool DevSeed::load(const QString &fileName, QString &error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (!document.isObject()) {
        error = parseError.error != QJsonParseError::NoError ? parseError.errorString()
                                                             : QStringLiteral("not a JSON object");
        return false;
    }
    mSeed = document.object();
    return true;
}

ServerConfig DevSeed::config() const
{
    ServerConfig config;
    config.colorGroups = mSeed.value(QStringLiteral("colorGroups")).toString();
    config.schemaToken = mSeed.value(QStringLiteral("schemaToken")).toString();
    config.requireAuth = mSeed.value(QStringLiteral("requireAuth")).toBool();
    config.terminalFlags = uint(mSeed.value(QStringLiteral("terminalFlags")).toInt());
    for (const QJsonValue login : mSeed.value(QStringLiteral("logins")).toArray()) {
        const QJsonObject object = login.toObject();
        config.logins.insert(uint(object.value(QStringLiteral("id")).toInt()),
                             object.value(QStringLiteral("token")).toString());
    }
    return config;
}

bool DevSeed::importInto(DevCatalogue &catalogue) const
{
    const std::pair<const char *, ChangeTable *> lists[] = {
        { "inters", &catalogue.inters() },
        { "people", &catalogue.people() },
        { "zones", &catalogue.zones() },
        { "pzt", &catalogue.pzt() },
    };
    for (const auto &list : lists) {
        for (const QJsonValue record : mSeed.value(QLatin1String(list.first)).toArray()) {
            if (list.second->upsert(record.toObject().toVariantMap()).isEmpty())
                return false;
        }
    }
    return true;
}
