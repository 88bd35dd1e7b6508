#include "sync/idpairencoding.h"

namespace IdPairEncoding {

QString encode(uint a, uint b)
{
    QString sa = QString::number(a);
    QString sb = QString::number(b);
    // The padding makes the text a whole number of Base64 groups.
    const int r = (sa.length() + sb.length() + 1) % 3;
    if (r != 0)
        sb.prepend(QLatin1Char('0'));
    if (r == 1)
        sa.prepend(QLatin1Char('-'));
    return QString::fromLatin1(QStringLiteral("%1.%2").arg(sa, sb).toLocal8Bit().toBase64());
}

} // namespace IdPairEncoding
