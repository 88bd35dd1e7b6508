#include "devserver/duplicatingjsonwriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace DuplicatingJsonWriter {

namespace {

QByteArray scalar(const QJsonValue &value)
{
    const QByteArray array = QJsonDocument(QJsonArray { value }).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

} // namespace

QByteArray write(const QJsonValue &value)
{
    QByteArrayList parts;
    if (value.isObject()) {
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it) {
            const QByteArray member = scalar(it.key()) + ':' + write(it.value());
            parts << member << member;
        }
        return '{' + parts.join(',') + '}';
    }
    if (value.isArray()) {
        for (const QJsonValue &element : value.toArray()) {
            const QByteArray written = write(element);
            parts << written << written;
        }
        return '[' + parts.join(',') + ']';
    }
    return scalar(value);
}

} // namespace DuplicatingJsonWriter
