#pragma once

#include <QByteArray>
#include <QString>

// Writes a small file for a test (replacing it); false when it cannot be written.
bool writeScratchFile(const QString &fileName, const QByteArray &content);
