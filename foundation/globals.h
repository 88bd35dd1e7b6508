#pragma once

#include <QString>

// Process-wide values: set once by the entry point before any component exists,
// read everywhere.
namespace Zep {
extern bool loggingEnabled;
extern uint debugLevel;
extern QString argumentLine;
} // namespace Zep

// File and folder names, relative to the working directory.
namespace ZepFiles {
inline const QString appLog = QStringLiteral("zep.log");
inline const QString catalogueDb = QStringLiteral("zep.db");
inline const QString settingsFile = QStringLiteral("zep.ini");
inline const QString pictureRoot = QStringLiteral("pic");
inline const QString entrancePhotos = QStringLiteral("pic/p");
inline const QString cameraPictures = QStringLiteral("pic/c");
inline const QString attendanceDb = QStringLiteral("./data.db");
inline const QString debugLogDir = QStringLiteral(".");
} // namespace ZepFiles
