#pragma once

#include <QString>
#include <QStringList>

// The files under a folder (all depths), relative to it, sorted.
QStringList filesUnder(const QString &folder);
