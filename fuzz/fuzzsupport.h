#pragma once

#include <cstddef>
#include <cstdint>

#include <QByteArray>

class TulDbManager;

// Shared set-up of the fuzz targets: a Qt application object, a scratch working folder
// and no diagnostic output (a rejected input is expected, not news).
namespace FuzzSupport {
void initialize(int *argc, char ***argv);
// The attendance-server protocol on settings of its own, made at the first call.
TulDbManager *protocol();
inline QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
}
} // namespace FuzzSupport
