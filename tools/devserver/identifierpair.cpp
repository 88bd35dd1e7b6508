#include "devserver/identifierpair.h"

#include <QByteArray>
#include <QRegularExpression>

namespace IdentifierPair {

bool decode(const QString &text, uint &a, uint &b)
{
    const auto decoded
        = QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || text.isEmpty())
        return false;
    static const QRegularExpression pattern(QStringLiteral("^-?(\\d{1,10})\\.(\\d{1,11})$"));
    const QRegularExpressionMatch match = pattern.match(QString::fromLatin1(*decoded));
    if (!match.hasMatch())
        return false;
    bool okA = false;
    bool okB = false;
    a = match.captured(1).toUInt(&okA);
    b = match.captured(2).toUInt(&okB);
    return okA && okB;
}

} // namespace IdentifierPair
