#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <mutex>

// The development remote-management service: reads the terminal's encrypted
// requests, answers "get"/"term" with the attendance server's address, stores the
// reported sync items, hands out configuration items and events until the terminal
// confirms them, and keeps uploaded files. Thread-safe: one request at a time.
class RemoteService
{
public:
    struct Answer
    {
        int status = 200;
        QByteArray body;
    };

    // Reads the JSON configuration (server address, terminals with their keys,
    // items and events); false with error set when it cannot be used.
    bool load(const QString &configFile, QString &error);
    void setUploadFolder(const QString &folder) { mUploadFolder = folder; }

    // A protocol request: the encrypted text (terminal token + cipher) and, for an
    // upload, the file.
    Answer handle(const QString &encrypted,
                  const QString &uploadName = QString(),
                  const QByteArray &uploadData = QByteArray());

    // Admin: the state of every terminal as JSON, and items and events added later.
    QJsonObject state();
    bool addItem(int tid, const QJsonObject &item);
    bool addEvent(int tid, const QJsonObject &event);

private:
    struct Terminal
    {
        int tid = 0;
        QString sharedKey;
        QString serialNumber;
        int reports = 0;
        QMap<QString, QString> items; // reported sync items, field -> data
        QList<QJsonObject> pendingItems; // configuration items not yet confirmed
        QList<int> doneItems;
        QMap<int, QJsonObject> pendingEvents; // eid -> event not yet confirmed
        QList<int> doneEvents;
        QList<int> failedEvents;
        QStringList uploads;
    };

    QJsonObject syncResult(Terminal &terminal, const QString &items);
    QJsonObject confirm(Terminal &terminal, const QString &cmd, const QString &data);
    QString storeUpload(Terminal &terminal, int eid, const QString &name, const QByteArray &data);
    Answer encrypted(const Terminal &terminal, const QJsonObject &reply);

    std::mutex mMutex;
    QJsonObject mServer;
    QMap<int, Terminal> mTerminals;
    QString mUploadFolder = QStringLiteral("uploads");
};
