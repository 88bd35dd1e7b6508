#pragma once

#include "timesync/ntphsample.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>


class NetworkAccess;
class QNetworkReply;

// Measures the offset of the attendance server's clock from the local one with a series
// of "/ntph/<t1>" exchanges over HTTP, one after another; the mean offset of the
// exchanges with the shortest round trips is reported by currentOffsetMs().
class NtphClient : public QObject
{
    Q_OBJECT
public:
    explicit NtphClient(quint8 debugLevel = 0, QObject *parent = nullptr);

    // Starts a measurement; false while one is running.
    bool getOffset(const QString &host, quint16 port);
    void setRoundCount(quint8 count);
    // A request unanswered for this long ends the measurement with the samples so far.
    void setRequestTimeout(int ms);
    bool isBusy() const { return mBusy; }

    // Reads "NTPH:t1:t2:t3" received at t4; every parsed reply lowers the minimum delay.
    // A time that is missing, unreadable or no clock reading (not after 1970, or past any
    // calendar) reads as 0, which verdict() rejects.
    NtphSample parseNtph(const QString &text, qint64 t4);
    quint32 minimumDelay() const { return mMinDelay; }
    // "OK" for a sample whose times are consistent, else "INVALID".
    static QString verdict(const NtphSample &sample);

signals:
    void currentOffsetMs(int offset, bool validResult);
    void debugData(QString data);

private slots:
    void replyFinished(QNetworkReply *reply);

private:
    void sendRequest();
    void onRequestTimeout();
    void calculateResult();
    void finish(int offset, bool validResult);
    static QString traceLine(const NtphSample &sample);

    quint8 mDebugLevel;
    QString mPath = QStringLiteral("/ntph");
    QString mHost;
    bool mBusy = false;
    quint16 mPort = 0;
    NetworkAccess *mNetwork;
    quint8 mRequestsSent = 0;
    quint8 mRoundCount = 20;
    quint8 mMinSamples = 3;
    QList<NtphSample> mSamples;
    quint32 mMinDelay = 0; // 0: no reply parsed yet
    qint64 mSentT1 = 0; // the send time of the request waiting for its reply

    QTimer mRequestTimer;
    QPointer<QNetworkReply> mPending;
    bool mTimedOut = false;
};
