#include "sync/idpairencoding.h"

#include <QByteArray>
#include <QStringList>

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

bool decode(const QString &segment, uint *a, uint *b)
{
    const QString text = QString::fromLatin1(QByteArray::fromBase64(segment.toLatin1()));
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 2)
        return false;
    QString sa = parts.at(0);
    if (sa.startsWith(QLatin1Char('-')))
        sa.remove(0, 1);
    bool okA = false;
    bool okB = false;
    *a = sa.toUInt(&okA);
    *b = parts.at(1).toUInt(&okB);
    return okA && okB;
}

} // namespace IdPairEncoding
