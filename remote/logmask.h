#pragma once

#include <QString>
#include <QVariant>

// Remote-management texts as they may go to the debug log: the secrets they carry
// (the settings text with the proxy password, the attendance server's token) masked.
namespace LogMask {

// A secret value: its length only.
QString secret(const QString &value);
// A request or a sync items text ("ts:field:data|..."): the data of "ini" items masked.
QString request(const QString &text);
// A reply's JSON text: the data of "ini" items and the token masked; a text that is not
// a JSON object is masked whole.
QString reply(const QString &json);
// The value of a configuration item, masked for "ini".
QVariant item(const QString &field, const QVariant &data);

} // namespace LogMask
