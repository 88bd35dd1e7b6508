#pragma once

#include <QByteArray>
#include <QJsonValue>

// Writes compact JSON in which every object member and every array element appears twice:
// what a server that repeats itself sends.
namespace DuplicatingJsonWriter {

QByteArray write(const QJsonValue &value);

} // namespace DuplicatingJsonWriter
