#include "devserver/serverbehaviour.h"

#include <QJsonArray>

namespace {

const char *const flagKeys[] = { "omitUnchangedLists", "omitState", "duplicates", "countUploads" };
const QString rejectedKey = QStringLiteral("rejectedEntrances");

} // namespace

bool ServerBehaviour::update(const QJsonObject &changes, QString &error)
{
    bool *const flags[] = { &omitUnchangedLists, &omitState, &duplicates, &countUploads };
    const int flagCount = int(sizeof(flagKeys) / sizeof(flagKeys[0]));
    for (auto it = changes.begin(); it != changes.end(); ++it) {
        if (it.key() == rejectedKey && it.value().isArray())
            continue;
        int i = 0;
        while (i < flagCount && it.key() != QLatin1String(flagKeys[i]))
            ++i;
        if (i == flagCount || !it.value().isBool()) {
            error = QStringLiteral("unknown or mistyped behaviour '%1'").arg(it.key());
            return false;
        }
    }
    for (int i = 0; i < flagCount; ++i) {
        if (changes.contains(QLatin1String(flagKeys[i])))
            *flags[i] = changes.value(QLatin1String(flagKeys[i])).toBool();
    }
    if (changes.contains(rejectedKey)) {
        rejectedEntrances.clear();
        for (const QJsonValue &id : changes.value(rejectedKey).toArray())
            rejectedEntrances.insert(uint(id.toDouble()));
    }
    return true;
}

QJsonObject ServerBehaviour::toJson() const
{
    const bool flags[] = { omitUnchangedLists, omitState, duplicates, countUploads };
    QJsonObject json;
    for (size_t i = 0; i < sizeof(flags) / sizeof(flags[0]); ++i)
        json.insert(QLatin1String(flagKeys[i]), flags[i]);
    QJsonArray rejected;
    for (uint id : rejectedEntrances)
        rejected.append(qint64(id));
    json.insert(rejectedKey, rejected);
    return json;
}
