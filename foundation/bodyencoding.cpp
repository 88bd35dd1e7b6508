#include "foundation/bodyencoding.h"

QByteArray encodeBody(const QByteArray &plain)
{
    QByteArray encoded = plain.toBase64();
    encoded.replace('+', '-').replace('/', '_').replace('=', '@');
    return encoded;
}

QByteArray decodeBody(const QByteArray &encoded)
{
    QByteArray base64 = encoded;
    base64.replace('-', '+').replace('_', '/').replace('@', '=');
    return QByteArray::fromBase64(base64);
}
