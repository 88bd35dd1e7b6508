#pragma once

#include <QString>

// Makes every later COMMIT on one SQLite connection fail once it has added a person: a deferred
// foreign-key violation is only detected by the COMMIT, which then leaves the transaction open,
// as a full disk or an I/O error would.
namespace FailingCommits {
bool install(const QString &connectionName);
} // namespace FailingCommits
