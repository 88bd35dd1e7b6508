#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QUrlQuery>

// One HTTP request as the services see it, independent of the HTTP library.
struct DevRequest
{
    QString method;
    QString path; // decoded, with leading slash
    QUrlQuery query;
    QHash<QByteArray, QByteArray> headers; // names in lower case
    QByteArray body;
    QString remoteAddress;
    qint64 receivedMs = 0; // wall clock when the request arrived

    QByteArray header(const QByteArray &name) const { return headers.value(name.toLower()); }
};

// The answer a service gives to a DevRequest.
struct DevResponse
{
    int status = 200;
    QByteArray contentType = "text/plain";
    QByteArray body;
};
