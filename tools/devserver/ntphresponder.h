#pragma once

#include "devserver/devexchange.h"

// Answers "/ntph/<t1>" with "NTPH:t1:t2:t3": the client's send time echoed, the time the
// request arrived and the time the answer leaves, in milliseconds since 1970 UTC.
namespace NtphResponder {
bool handles(const QString &path);
DevResponse reply(const DevRequest &request);
} // namespace NtphResponder
