#pragma once

#include <QByteArray>
#include <QString>

// The cipher of remote-management messages: a repeating-key XOR whose key is a hex
// digest both ends derive from the message's time stamp and the terminal's data.
// The stamp travels split around the cipher text; the whole is body-encoded Base64.
// The terminal data is process-wide state set from the main thread.

// Offset of the message stamp: Unix time 946681200 is stamp 0.
constexpr uint orvelStampEpoch = 946681200;

void setVerbose(int verbose);
void setTermData(int terminalId, const QString &sharedKey, const QString &serialNumber);

// The key for Unix time t (0: now) as lowercase hex; empty when the terminal data
// is incomplete.
QString getOrvelSecret(uint t);
// XORs data with the bytes of the hex key, repeating it; empty on bad input.
QByteArray orvelDoCrypt(const QByteArray &data, const QString &hexKey);
// The wire text of plain; timeOverride replaces the current Unix time. Empty on failure.
QString orvelEncrypt(const QString &plain, uint timeOverride = 0);
// The plain text (UTF-8, as encrypted) of a wire text, up to its first NUL; empty on failure.
// sentAt, when given, receives the Unix time of the message's stamp (the key's time).
QString orvelDecrypt(const QString &wire, uint *sentAt = nullptr);
