#pragma once

#include <QString>

// The one place that knows where the photo of an entrance lives.
namespace EntrancePhoto {
// "pic/p/<id>.jpg", relative to the working directory.
QString path(uint entranceId);
// Creates the entrance-photo folder (with its parents) when missing.
bool ensureFolder();
} // namespace EntrancePhoto
