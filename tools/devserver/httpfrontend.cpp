#include "devserver/httpfrontend.h"

#include "devserver/adminservice.h"
#include "devserver/faultinjector.h"
#include "devserver/ntphresponder.h"
#include "devserver/protocolservice.h"
#include "devserver/requestjournal.h"

#include <QDateTime>
#include <QUrl>

#include <httplib.h>

namespace {

DevRequest toDevRequest(const httplib::Request &request)
{
    DevRequest devRequest;
    devRequest.receivedMs = QDateTime::currentMSecsSinceEpoch();
    devRequest.method = QString::fromStdString(request.method);
    devRequest.path = QString::fromStdString(request.path);
    for (const auto &param : request.params)
        devRequest.query.addQueryItem(QString::fromStdString(param.first),
                                      QString::fromStdString(param.second));
    for (const auto &header : request.headers)
        devRequest.headers.insert(QByteArray::fromStdString(header.first).toLower(),
                                  QByteArray::fromStdString(header.second));
    devRequest.body = QByteArray::fromStdString(request.body);
    devRequest.remoteAddress = QString::fromStdString(request.remote_addr);
    return devRequest;
}

DevResponse plain(int status, const QByteArray &body, const QByteArray &contentType = "text/plain")
{
    DevResponse response;
    response.status = status;
    response.body = body;
    response.contentType = contentType;
    return response;
}

} // namespace

HttpFrontend::HttpFrontend(ProtocolService &protocol,
                           AdminService &admin,
                           FaultInjector &faults,
                           RequestJournal &journal,
                           const NtphResponder &ntph,
                           QObject *parent)
    : QObject(parent)
    , mProtocol(protocol)
    , mAdmin(admin)
    , mFaults(faults)
    , mJournal(journal)
    , mNtph(ntph)
    , mServer(std::make_unique<httplib::Server>())
    , mListener(*mServer)
{
}

HttpFrontend::~HttpFrontend()
{
    mFaults.release();
    mListener.stop();
}

int HttpFrontend::start(const QString &host, int port)
{
    const auto handler = [this](const httplib::Request &request, httplib::Response &response) {
        const DevResponse answered = answer(toDevRequest(request));
        response.status = answered.status;
        response.set_content(answered.body.toStdString(), answered.contentType.toStdString());
    };
    // Headers and body go out in separate writes: without this, Nagle's algorithm holds
    // the body back for the client's delayed acknowledgement (some 40 ms).
    mServer->set_tcp_nodelay(true);
    const std::string any = "/.*";
    mServer->Get(any, handler).Post(any, handler).Put(any, handler).Delete(any, handler);
    return mListener.start(
        host, port, [this](const httplib::Request &request, const httplib::Response &response) {
            const QString path = QString::fromStdString(request.path);
            if (!AdminService::handles(path))
                mJournal.add(QString::fromStdString(request.method), path, response.status);
        });
}

DevResponse HttpFrontend::answer(const DevRequest &request)
{
    if (AdminService::handles(request.path))
        return inMainThread([&] { return mAdmin.handle(request); });

    if (const int status = mFaults.next())
        return plain(status, "injected failure");
    if (request.path == QLatin1String("/ping.html"))
        return plain(200, "<html><body>OK</body></html>", "text/html");
    if (NtphResponder::handles(request.path))
        return mNtph.reply(request);
    if (ProtocolService::handles(request.path))
        return inMainThread([&] { return mProtocol.handle(request); });
    return plain(404, "not found");
}

DevResponse HttpFrontend::inMainThread(const std::function<DevResponse()> &work)
{
    DevResponse response;
    QMetaObject::invokeMethod(
        this, [&] { response = work(); }, Qt::BlockingQueuedConnection);
    return response;
}
