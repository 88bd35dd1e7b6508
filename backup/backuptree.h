#pragma once

#include "db/entrancedata.h"

#include <QString>

// Where a backed-up entrance photo lives: root/yyyy/MM/dd/<time>-<dochid>-<type>-<direction>-.jpg
namespace BackupTree {
// The file name of the photo copy, e.g. "20180130192705-00001234-5-1-.jpg".
QString photoName(const EntranceData &entrance);
// The day folder of the entrance under the root, e.g. "<root>/2018/01/30".
QString dayFolder(const QString &root, const EntranceData &entrance);
} // namespace BackupTree
