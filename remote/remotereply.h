#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

// A reply of the remote-management service (decrypted, parsed JSON) read into plain values:
// its outcome, the operation and command it answers, and what that operation carries.
// Missing or mistyped members read as empty.
struct RemoteReply
{
    // A configuration item to apply.
    struct Item
    {
        int id = 0;
        QString field;
        QVariant data;
    };
    // An event to carry out.
    struct Event
    {
        int eid = 0;
        QString type;
        QVariantMap data;
    };

    // Reads the object the reply's JSON text parsed into.
    static RemoteReply read(const QVariantMap &reply);

    uint err = 0;
    QString op;
    QString cmd;
    int eid = 0; // the event an "upload" reply is about
    QString resultText; // "res" as text: the error, or "OK" of a confirmation
    QVariantMap result; // "res" as an object
    QList<int> eids; // the events a "done" reply confirms
    // Of a "sync" reply: the reported items the service has taken, and what it sends.
    QStringList doneItems;
    QList<Item> items;
    QList<Event> events;
};
