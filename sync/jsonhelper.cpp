#include "sync/jsonhelper.h"

#include <QJSEngine>

JsonHelper::JsonHelper() = default;

JsonHelper::~JsonHelper() = default;

void JsonHelper::ensureEngine()
{
    if (mEngine)
        return;
    mEngine = std::make_unique<QJSEngine>();
    mEngine->evaluate(
        QStringLiteral("function parse_json(string) { return JSON.parse(string); }\n"
                       "function serialize_json(object) { return JSON.stringify(object); }"));
    mParse = mEngine->globalObject().property(QStringLiteral("parse_json"));
    mSerialize = mEngine->globalObject().property(QStringLiteral("serialize_json"));
}

QVariantMap JsonHelper::parse(const QString &text)
{
    ensureEngine();
    const QJSValue result = mParse.call({ QJSValue(text) });
    if (result.isError()) {
        qWarning("JsonHelper::parse() - %s", qPrintable(result.toString()));
        return {};
    }
    return result.toVariant().toMap();
}

QString JsonHelper::serialize(const QVariantMap &object)
{
    ensureEngine();
    return mSerialize.call({ mEngine->toScriptValue(object) }).toString();
}
