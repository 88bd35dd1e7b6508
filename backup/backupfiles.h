#pragma once

#include <QString>

// Copies of single files into the backup folders.
namespace BackupFiles {
// True when the target has the source's size and is not older than it.
bool isCurrent(const QString &source, const QString &target);
// Makes the target a copy of the source unless it is current already; an
// outdated target is replaced. False when the copy failed.
bool refresh(const QString &source, const QString &target);
} // namespace BackupFiles
