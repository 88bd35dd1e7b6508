#include "timesync/ntphclient.h"

#include "foundation/clock.h"
#include "foundation/networkaccess.h"

#include <QDateTime>
#include <QDebug>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

#include <limits>

namespace {
const int defaultRequestTimeoutMs = 5000;
const qint64 delayResolutionMs = 2;
// No clock reading lies beyond this (the year 33658); within it the sums and differences
// of four times stay far inside qint64.
const qint64 latestTimeMs = 1000000000000000;

// A time in milliseconds since 1970, or 0 when the value is none.
qint64 clockTime(qint64 value)
{
    return value > 0 && value <= latestTimeMs ? value : 0;
}
} // namespace

NtphClient::NtphClient(quint8 debugLevel, QObject *parent)
    : QObject(parent)
    , mDebugLevel(debugLevel)
    , mNetwork(new NetworkAccess(this))
{
    connect(mNetwork, &NetworkAccess::finished, this, &NtphClient::replyFinished);
    mRequestTimer.setSingleShot(true);
    mRequestTimer.setInterval(defaultRequestTimeoutMs);
    connect(&mRequestTimer, &QTimer::timeout, this, &NtphClient::onRequestTimeout);
}

bool NtphClient::getOffset(const QString &host, quint16 port)
{
    if (mDebugLevel >= 1)
        qDebug() << "NtphClient::getOffset(" << host << port << ")";
    if (mBusy)
        return false;
    mBusy = true;
    mHost = host;
    mPort = port;
    mSamples.clear();
    mRequestsSent = 0;
    mMinDelay = 0;
    mTimedOut = false;
    sendRequest();
    return true;
}

void NtphClient::setRoundCount(quint8 count)
{
    if (mDebugLevel >= 1)
        qDebug() << "NtphClient::setRoundCount(" << count << ")";
    mRoundCount = count;
}

void NtphClient::setRequestTimeout(int ms)
{
    mRequestTimer.setInterval(ms);
}

void NtphClient::sendRequest()
{
    if (mDebugLevel >= 1)
        qDebug() << "NtphClient::sendRequest():" << mRequestsSent + 1;
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(mHost);
    if (mPort != 80)
        url.setPort(mPort);
    mSentT1 = Clock::instance()->msSinceEpoch();
    url.setPath(mPath + QLatin1Char('/') + QString::number(mSentT1));
    if (!url.isValid()) {
        qWarning("NtphClient::sendRequest() - URL '%s' is NOT VALID!", qPrintable(url.toString()));
        // No reply will come: end the measurement once the caller has returned.
        QMetaObject::invokeMethod(this, &NtphClient::calculateResult, Qt::QueuedConnection);
        return;
    }
    // Each exchange on a connection of its own: on a kept-alive one, a server that writes
    // the header and the body of its reply apart holds the body for the delayed
    // acknowledgement of the header, some 40 ms all on the way back.
    QNetworkRequest request(url);
    request.setRawHeader(QByteArrayLiteral("Connection"), QByteArrayLiteral("close"));
    mPending = mNetwork->manager()->get(request);
    ++mRequestsSent;
    mRequestTimer.start();
}

void NtphClient::onRequestTimeout()
{
    qWarning("NtphClient - no reply within %d ms, ending the measurement",
             mRequestTimer.interval());
    mTimedOut = true;
    if (mPending)
        mPending->abort(); // finishes the reply: replyFinished() ends the measurement
}

void NtphClient::replyFinished(QNetworkReply *reply)
{
    const qint64 t4 = Clock::instance()->msSinceEpoch();
    if (reply != mPending) {
        reply->deleteLater();
        return;
    }
    mPending = nullptr;
    mRequestTimer.stop();

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status != 200 || reply->error() != QNetworkReply::NoError)
        qWarning() << "NtphClient - reply ERROR [" << status << "]:" << reply->errorString();
    const QString data = QString::fromLatin1(reply->readAll());
    reply->close();
    reply->deleteLater();

    if (data.isEmpty() || !data.contains(QLatin1String("NTPH:"))
        || data.count(QLatin1Char(':')) != 3) {
        qWarning() << "Reply NTPH is NOT valid! (data:" << data << ")";
    } else {
        const NtphSample sample = parseNtph(data, t4);
        emit debugData(QStringLiteral("NTPH Reply [%2] => %1")
                           .arg(traceLine(sample), QString::number(mRequestsSent)));
        // A reply that does not echo this request's send time answers another request.
        if (sample.t1 != mSentT1)
            qWarning() << "NtphClient - reply echoes t1" << sample.t1 << "instead of" << mSentT1;
        else if (verdict(sample) == QLatin1String("OK"))
            mSamples.append(sample);
    }

    if (mRequestsSent < mRoundCount && !mTimedOut)
        sendRequest();
    else
        calculateResult();
}

NtphSample NtphClient::parseNtph(const QString &text, qint64 t4)
{
    if (mDebugLevel >= 2)
        qDebug() << "NtphClient::parseNtph(" << text << ")";
    const QStringList parts = text.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    NtphSample sample;
    sample.t1 = clockTime(parts.value(1).toLongLong());
    sample.t2 = clockTime(parts.value(2).toLongLong());
    sample.t3 = clockTime(parts.value(3).toLongLong());
    sample.t4 = clockTime(t4);
    sample.offset = qint32(((sample.t2 - sample.t1) + (sample.t3 - sample.t4)) / 2);
    sample.delay = quint32(qAbs((sample.t4 - sample.t1) - (sample.t3 - sample.t2)));
    if (sample.delay < mMinDelay || mMinDelay == 0)
        mMinDelay = sample.delay;

    const qint64 cs = qAbs(sample.t2 - sample.t1);
    const qint64 sc = qAbs(sample.t4 - sample.t3);
    const qint64 mean = (cs + sc) / 2;
    if (mDebugLevel >= 2)
        qDebug() << "csDel:" << cs << " scDel:" << sc << " avgDel:" << mean;
    sample.csDelay = qint32(qAbs(cs - mean));
    sample.scDelay = qint32(qAbs(sc - mean));
    return sample;
}

QString NtphClient::verdict(const NtphSample &sample)
{
    const QString invalid = QStringLiteral("INVALID");
    if (sample.t1 <= 0 || sample.t2 <= 0 || sample.t3 <= 0 || sample.t4 <= 0)
        return invalid;
    if (sample.t4 <= sample.t1 || sample.t3 <= sample.t2)
        return invalid;
    // An offset beyond what the result carries (about 24 days) cannot be used.
    const qint64 offset = ((sample.t2 - sample.t1) + (sample.t3 - sample.t4)) / 2;
    if (offset < std::numeric_limits<qint32>::min() || offset > std::numeric_limits<qint32>::max())
        return invalid;
    // Halving the legs in whole milliseconds can leave 1 ms between the two deviations.
    const qint64 tolerance = qMax<qint64>(sample.delay / 10, 1);
    return qAbs(qint64(sample.csDelay) - sample.scDelay) <= tolerance ? QStringLiteral("OK")
                                                                      : invalid;
}

void NtphClient::calculateResult()
{
    if (mDebugLevel >= 1)
        qDebug("NtphClient::calculateResult()");
    if (mSamples.size() < mMinSamples) {
        finish(0, false);
        return;
    }
    // Twice the minimum, plus the 2 ms by which whole-millisecond times can misstate a
    // delay: without it a 1 ms minimum would leave only the samples of 1 or 2 ms.
    const qint64 maxDelay = 2 * qint64(mMinDelay) + delayResolutionMs;
    emit debugData(QStringLiteral("\nRESULT:"));
    emit debugData(QStringLiteral("Valid delay range: %1 .. %2").arg(mMinDelay).arg(maxDelay));

    qint64 sum = 0;
    int used = 0;
    quint32 longestUsed = 0;
    for (int i = 0; i < mSamples.size(); ++i) {
        const NtphSample &sample = mSamples.at(i);
        if (mDebugLevel >= 2)
            qDebug().noquote() << traceLine(sample);
        if (sample.delay > maxDelay)
            continue;
        sum += sample.offset;
        ++used;
        longestUsed = qMax(longestUsed, sample.delay);
        emit debugData(QStringLiteral("USED NTPH [%1] => delay: %2  offset: %3")
                           .arg(i + 1)
                           .arg(sample.delay)
                           .arg(sample.offset));
    }
    if (used == 0) {
        finish(0, false);
        return;
    }
    const int offset = int(sum / used);
    // Each used offset is within half its round trip of the true one.
    if (mDebugLevel >= 1)
        qDebug("NtphClient::calculateResult() offset %d ms from %d of %d replies, round trips "
               "%u .. %u ms: within %u ms",
               offset,
               used,
               int(mRequestsSent),
               mMinDelay,
               longestUsed,
               (longestUsed + 1) / 2);
    finish(offset, used >= mMinSamples);
}

void NtphClient::finish(int offset, bool validResult)
{
    // Not busy any more before the result goes out: its receiver may ask again at once.
    mBusy = false;
    mRequestTimer.stop();
    emit currentOffsetMs(offset, validResult);
}

QString NtphClient::traceLine(const NtphSample &sample)
{
    return QStringLiteral(
               "times: %1|%2|%3|%4 - delay: %5, csDelay: %6, scDelay: %7 \t offset: %8 \t %9")
        .arg(QString::number(sample.t1),
             QString::number(sample.t2),
             QString::number(sample.t3),
             QString::number(sample.t4),
             QString::number(sample.delay),
             QString::number(sample.csDelay),
             QString::number(sample.scDelay),
             QString::number(sample.offset),
             verdict(sample));
}
