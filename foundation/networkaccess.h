#pragma once

#include <QNetworkProxy>
#include <QObject>

class QNetworkAccessManager;
class QNetworkReply;

// A QNetworkAccessManager made at the first request instead of at construction:
// making one loads the bearer plugins and connects to the system bus, which
// neither the start of the terminal nor one that never goes on line should pay
// for. A proxy set before then is applied when the manager is made.
class NetworkAccess : public QObject
{
    Q_OBJECT
public:
    explicit NetworkAccess(QObject *parent = nullptr);

    // The manager, made now if there is none yet.
    QNetworkAccessManager *manager();
    bool isMade() const { return mManager != nullptr; }

    QNetworkProxy proxy() const;
    void setProxy(const QNetworkProxy &proxy);

signals:
    // QNetworkAccessManager::finished() of the manager.
    void finished(QNetworkReply *reply);

private:
    QNetworkAccessManager *mManager = nullptr;
    QNetworkProxy mProxy;
};
