#pragma once

#include <QString>

// Reads the identifier pairs of the protocol's paths: Base64 of the text "a.b", where
// a may carry a leading "-" and b leading zeros as padding.
namespace IdentifierPair {
bool decode(const QString &text, uint &a, uint &b);
}
