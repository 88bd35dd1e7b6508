#pragma once

#include <future>

class QFileDevice;

// Puts a file onto the disk (DiskSync) on a thread of its own, so that the caller can
// meanwhile do other disk work whose syncs then overlap with this one.
namespace BackgroundSync {

// Syncs the file, and its folder entry when withFolder; true once the disk holds them.
// The file must stay open and untouched until the result is ready.
std::shared_future<bool> start(QFileDevice &file, bool withFolder);

} // namespace BackgroundSync
