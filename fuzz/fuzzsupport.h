#pragma once

#include <cstddef>
#include <cstdint>

#include <QByteArray>

// Shared set-up of the fuzz targets: a Qt application object, a scratch working folder
// and no diagnostic output (a rejected input is expected, not news).
namespace FuzzSupport {
void initialize(int *argc, char ***argv);
inline QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
}
} // namespace FuzzSupport
