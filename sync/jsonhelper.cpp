#include "sync/jsonhelper.h"

JsonHelper::JsonHelper()
{
    mEngine.evaluate(
        QStringLiteral("function parse_json(string) { return JSON.parse(string); }\n"
                       "function serialize_json(object) { return JSON.stringify(object); }"));
    mParse = mEngine.globalObject().property(QStringLiteral("parse_json"));
    mSerialize = mEngine.globalObject().property(QStringLiteral("serialize_json"));
}

QVariantMap JsonHelper::parse(const QString &text)
{
    const QJSValue result = mParse.call({ QJSValue(text) });
    if (result.isError()) {
        qWarning("JsonHelper::parse() - %s", qPrintable(result.toString()));
        return {};
    }
    return result.toVariant().toMap();
}

QString JsonHelper::serialize(const QVariantMap &object)
{
    return mSerialize.call({ mEngine.toScriptValue(object) }).toString();
}
