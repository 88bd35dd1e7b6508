#include "remote/orvelcrypto.h"

#include "foundation/bodyencoding.h"
#include "foundation/clock.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDebug>

namespace {

struct CryptoState
{
    int verbose = 0;
    int terminalId = 0;
    QString sharedKey;
    QString serialNumber;
};

CryptoState &state()
{
    static CryptoState cryptoState;
    return cryptoState;
}

QByteArray stampOf(uint t)
{
    return QByteArray::number(qulonglong(t) - orvelStampEpoch);
}

} // namespace

void setVerbose(int verbose)
{
    qDebug() << "Crypto::setVerbose(" << verbose << ")";
    state().verbose = verbose;
}

void setTermData(int terminalId, const QString &sharedKey, const QString &serialNumber)
{
    if (state().verbose)
        qDebug("Crypto::setTermData()");
    state().terminalId = terminalId;
    state().sharedKey = sharedKey;
    state().serialNumber = serialNumber;
}

// The key text joins the UTC calendar fields of t, the terminal id and both terminal
// strings with fixed pieces; the minute's last digit picks the digest.
QString getOrvelSecret(uint t)
{
    const CryptoState &s = state();
    if (s.terminalId == 0 || s.sharedKey.isEmpty() || s.serialNumber.isEmpty()) {
        qWarning("getOrvelSecret() - BAD input parameters");
        return QString();
    }
    try {
        const QDateTime time = t == 0 ? Clock::instance()->now().toUTC()
                                      : QDateTime::fromSecsSinceEpoch(qint64(t), Qt::UTC);
        const QDate date = time.date();
        const QTime clock = time.time();
        const QString text = QStringLiteral("zep:%1.%2.%3:%4:%5/%6|%7|%8|%9:orvel")
                                 .arg(date.year())
                                 .arg(date.month())
                                 .arg(date.day())
                                 .arg(clock.hour())
                                 .arg(clock.minute())
                                 .arg(date.dayOfWeek())
                                 .arg(s.terminalId)
                                 .arg(s.sharedKey, s.serialNumber);
        const bool sha1 = (clock.minute() % 10) % 2 == 1;
        return QString::fromLatin1(
            QCryptographicHash::hash(text.toUtf8(),
                                     sha1 ? QCryptographicHash::Sha1 : QCryptographicHash::Md5)
                .toHex());
    } catch (...) {
        qCritical("getOrvelSecret() - FAILURE!");
        return QString();
    }
}

QByteArray orvelDoCrypt(const QByteArray &data, const QString &hexKey)
{
    if (data.isEmpty() || hexKey.isEmpty()) {
        qWarning("orvelDoCrypt() - BAD Input parameters");
        return QByteArray();
    }
    try {
        QByteArray result;
        result.reserve(data.size());
        int p = 0;
        for (const char byte : data) {
            const uint keyByte = hexKey.midRef(p, 2).toUInt(nullptr, 16);
            result.append(char(byte ^ char(keyByte & 0xff)));
            p = p + 2 < hexKey.size() ? p + 2 : 0;
        }
        return result;
    } catch (...) {
        qCritical("orvelDoCrypt() - FAILURE!");
        return QByteArray();
    }
}

QString orvelEncrypt(const QString &plain, uint timeOverride)
{
    if (state().verbose)
        qDebug("Crypto::orvelEncrypt()");
    if (plain.isEmpty()) {
        qWarning("orvelEncrypt() - BAD Input parameter");
        return QString();
    }
    try {
        const uint t = timeOverride ? timeOverride : uint(Clock::instance()->secsSinceEpoch());
        const QByteArray cipher = orvelDoCrypt(plain.toUtf8(), getOrvelSecret(t));
        // Without a key there is no message: a bare stamp must not pass for one.
        if (cipher.isEmpty())
            return QString();
        const QByteArray stamp = stampOf(t);
        const int head = stamp.size() / 2;
        return QString::fromLatin1(encodeBody(stamp.mid(head) + cipher + stamp.left(head)));
    } catch (...) {
        qCritical("orvelEncrypt() - FAILURE!");
        return QString();
    }
}

QString orvelDecrypt(const QString &wire, uint *sentAt)
{
    if (state().verbose)
        qDebug("Crypto::orvelDecrypt()");
    if (wire.isEmpty()) {
        qWarning("orvelDecrypt() - BAD Input parameter");
        return QString();
    }
    try {
        const QByteArray raw = decodeBody(wire.toLatin1());
        const int n = stampOf(uint(Clock::instance()->secsSinceEpoch())).size();
        const int head = n / 2;
        const int tail = n - head;
        if (raw.size() <= n)
            return QString();
        const QByteArray stamp = raw.right(head) + raw.left(tail);
        bool ok = false;
        const qulonglong offset = stamp.toULongLong(&ok);
        if (!ok)
            return QString();
        const uint t = uint(offset + orvelStampEpoch);
        if (sentAt)
            *sentAt = t;
        const QString key = getOrvelSecret(t);
        const QByteArray plain = orvelDoCrypt(raw.mid(tail, raw.size() - n), key);
        return QString::fromUtf8(plain.constData());
    } catch (...) {
        qCritical("orvelDecrypt() - FAILURE!");
        return QString();
    }
}
