#pragma once

#include <QByteArray>

// The transfer encoding of attendance-server bodies, remote-management tokens and
// queued settings text: standard Base64 with "+" -> "-", "/" -> "_", "=" -> "@".
QByteArray encodeBody(const QByteArray &plain);
QByteArray decodeBody(const QByteArray &encoded);
