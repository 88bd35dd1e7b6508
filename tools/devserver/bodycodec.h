#pragma once

#include <QByteArray>

// The protocol's transfer encoding of bodies: Base64 with "-", "_" and "@" in place of
// "+", "/" and "=".
namespace BodyCodec {
QByteArray encode(const QByteArray &plain);
QByteArray decode(const QByteArray &encoded);
} // namespace BodyCodec
