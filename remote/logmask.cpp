#include "remote/logmask.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace {

const QString iniField = QStringLiteral("ini");

QJsonValue maskedValue(const QJsonValue &value);

QJsonObject maskedObject(QJsonObject object)
{
    const bool iniItem = object.value(QStringLiteral("field")).toString() == iniField;
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.key() == QLatin1String("srvt") || (iniItem && it.key() == QLatin1String("data")))
            it.value() = LogMask::secret(it.value().toVariant().toString());
        else
            it.value() = maskedValue(it.value());
    }
    return object;
}

QJsonValue maskedValue(const QJsonValue &value)
{
    if (value.isObject())
        return maskedObject(value.toObject());
    if (value.isArray()) {
        QJsonArray array;
        for (const QJsonValue &element : value.toArray())
            array.append(maskedValue(element));
        return array;
    }
    return value;
}

} // namespace

namespace LogMask {

QString secret(const QString &value)
{
    return QStringLiteral("*** (%1 characters)").arg(value.size());
}

QString request(const QString &text)
{
    // Item data is body-encoded: it holds neither "|" nor "&".
    static const QRegularExpression ini(QStringLiteral("(:ini:)([^|&]*)"));
    QString masked = text;
    QRegularExpressionMatchIterator it = ini.globalMatch(text);
    QList<QRegularExpressionMatch> matches;
    while (it.hasNext())
        matches.prepend(it.next());
    for (const QRegularExpressionMatch &match : matches)
        masked.replace(match.capturedStart(2), match.capturedLength(2), secret(match.captured(2)));
    return masked;
}

QString reply(const QString &json)
{
    const QJsonDocument document = QJsonDocument::fromJson(json.toUtf8());
    if (!document.isObject())
        return secret(json);
    return QString::fromUtf8(
        QJsonDocument(maskedObject(document.object())).toJson(QJsonDocument::Compact));
}

QVariant item(const QString &field, const QVariant &data)
{
    return field == iniField ? QVariant(secret(data.toString())) : data;
}

} // namespace LogMask
