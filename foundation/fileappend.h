#pragma once

#include <QByteArray>
#include <QString>

// Appends bytes to a file in one write, opening and closing it around the write,
// so that any thread may append to any file without a lock.
namespace FileAppend {

struct Result
{
    bool opened = false;
    bool written = false;
    // Why the file could not be opened or written.
    QString error;
    // Size of the file after the write, -1 when unknown.
    qint64 size = -1;
};

Result append(const QString &fileName, const QByteArray &bytes);

// Writes all of bytes to the open descriptor, going on after partial writes; false with
// the system's reason in *error when the write stopped short (a full disk writes a part).
bool writeAll(int fd, const QByteArray &bytes, QString *error);

} // namespace FileAppend
