#pragma once

#include "db/entrancedata.h"

#include <QString>

class QSettings;

// Where a backed-up entrance photo lives:
// root/yyyy/MM/dd/<time>-<dochid>-<type>-<direction>-<entrance id>.jpg
// The id keeps apart entrances that agree in everything else (the same person in
// the same second, unknown persons, the repeated hour when the clock falls back).
namespace BackupTree {
// The root of the tree, "global/backup" (default "backup", relative to the working folder).
QString root(QSettings &settings);
// The file name of the photo copy, e.g. "20180130192705-00001234-5-1-42.jpg".
QString photoName(const EntranceData &entrance);
// The day folder of the entrance under the root, e.g. "<root>/2018/01/30".
QString dayFolder(const QString &root, const EntranceData &entrance);
} // namespace BackupTree
