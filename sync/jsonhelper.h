#pragma once

#include <QJSValue>
#include <QString>
#include <QVariantMap>

#include <memory>

class QJSEngine;

// Parses and writes JSON text through the script engine's JSON object. The engine
// is made at the first use: it costs a millisecond at start.
class JsonHelper
{
public:
    JsonHelper();
    ~JsonHelper();

    // The object parsed from the text; empty when the text is no JSON object.
    QVariantMap parse(const QString &text);
    QString serialize(const QVariantMap &object);

private:
    void ensureEngine();

    std::unique_ptr<QJSEngine> mEngine;
    QJSValue mParse;
    QJSValue mSerialize;
};
