#pragma once

#include <QList>
#include <QStringList>

// The schema of the attendance database "./data.db": the statements that create a new file and
// the numbered steps that bring a file of an older layout up to date, each with the probe that
// tells whether a file has it already.
namespace DataSchema {

struct Step
{
    uint step;
    const char *table; // probe: the table, or its column when column is set
    const char *column;
    const char *debugLine; // null: none
    QStringList statements; // run in order until one fails
};

// The statements of a new file; the first three (entrances table and its indexes) must succeed.
const QStringList &createStatements();
// Steps 1 to 15 in order.
const QList<Step> &steps();
// The schema version of a file that has every step: the number of the last one.
int version();

} // namespace DataSchema
