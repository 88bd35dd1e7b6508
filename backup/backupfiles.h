#pragma once

#include <QString>

// Copies of single files into the backup folders.
namespace BackupFiles {
// True when the target has the source's size and is not older than it.
bool isCurrent(const QString &source, const QString &target);
// True when both files can be read and hold the same bytes.
bool sameContent(const QString &first, const QString &second);
// Writes a copy of the source under a temporary name and renames it over the
// target once it is whole and on the disk; when anything fails the old target
// is left as it was. With lastBytes of 0 or more only the lines that end within
// the last lastBytes bytes of the source are copied. False when the copy failed.
bool copyReplacing(const QString &source, const QString &target, qint64 lastBytes = -1);
// Makes the target a copy of the source unless it is current already.
// False when the copy failed.
bool refresh(const QString &source, const QString &target);
} // namespace BackupFiles
