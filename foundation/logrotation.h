#pragma once

#include <QString>
#include <QtGlobal>

// Keeps the logs of a terminal that runs for years on a small disk bounded: a log that has
// reached the size limit is set aside under a numbered name and the next line starts a new
// file.
namespace LogRotation {

// Size from which a log is set aside (2 MiB); a test sets a smaller one (0 restores it).
qint64 sizeLimit();
void setSizeLimit(qint64 bytes);

// A plain log: "<name>.1" replaces the one set aside before, so that a log takes at most about
// twice the limit. size is the file's size after the caller's write; it is read again under a
// lock, so that of several threads only one sets the file aside. False when it cannot be
// renamed.
bool setAsideIfFull(const QString &fileName, qint64 size);

// The journal of entrances: every file set aside is kept, under the next free number
// ("<name>.1", "<name>.2", ...). False when it cannot be renamed (errno says why).
bool keepAside(const QString &fileName);

} // namespace LogRotation
