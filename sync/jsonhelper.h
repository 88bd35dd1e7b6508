#pragma once

#include <QJSEngine>
#include <QJSValue>
#include <QString>
#include <QVariantMap>

// Parses and writes JSON text through the script engine's JSON object.
class JsonHelper
{
public:
    JsonHelper();

    // The object parsed from the text; empty when the text is no JSON object.
    QVariantMap parse(const QString &text);
    QString serialize(const QVariantMap &object);

private:
    QJSEngine mEngine;
    QJSValue mParse;
    QJSValue mSerialize;
};
