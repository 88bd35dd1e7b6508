#pragma once

#include <QString>

// Encoding of two unsigned numbers as one URL path segment of the
// attendance-server protocol: the text "a.b" padded to a multiple of three
// characters, then standard Base64 (never padded).
namespace IdPairEncoding {
QString encode(uint a, uint b);
// The pair of a segment made by encode(); false when the segment is not one.
bool decode(const QString &segment, uint *a, uint *b);
} // namespace IdPairEncoding
