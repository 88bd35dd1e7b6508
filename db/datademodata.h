#pragma once

#include <QSqlDatabase>

// Demonstration people for a new attendance database ("-fillDemoData"): an administrator, a
// demo person and, with randomPeople, a thousand people with random names.
namespace DataDemoData {
void fill(QSqlDatabase db, bool randomPeople);
} // namespace DataDemoData
