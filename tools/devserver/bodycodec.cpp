#include "devserver/bodycodec.h"

namespace BodyCodec {

QByteArray encode(const QByteArray &plain)
{
    return plain.toBase64(QByteArray::Base64UrlEncoding).replace('=', '@');
}

QByteArray decode(const QByteArray &encoded)
{
    return QByteArray::fromBase64(QByteArray(encoded).replace('@', '='),
                                  QByteArray::Base64UrlEncoding);
}

} // namespace BodyCodec
