#include "devserver/httpfrontend.h"

#include "devserver/adminservice.h"
#include "devserver/connectionrefusal.h"
#include "devserver/ntphresponder.h"
#include "devserver/protocolservice.h"
#include "devserver/requestjournal.h"

#include "foundation/happensbefore.h"

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

// Sends the status line, the headers with the length of the whole body and the first
// half of it, then closes the connection.
void cutHalfway(httplib::Response &response, const DevResponse &answered)
{
    const std::string body = answered.body.toStdString();
    response.set_content_provider(body.size(),
                                  answered.contentType.toStdString(),
                                  [body](size_t, size_t, httplib::DataSink &sink) {
                                      sink.write(body.data(), body.size() / 2);
                                      return false;
                                  });
}

} // namespace

HttpFrontend::HttpFrontend(ProtocolService &protocol,
                           AdminService &admin,
                           FaultInjector &faults,
                           ConnectionRefusal &refusal,
                           RequestJournal &journal,
                           const NtphResponder &ntph,
                           QObject *parent)
    : QObject(parent)
    , mProtocol(protocol)
    , mAdmin(admin)
    , mFaults(faults)
    , mRefusal(refusal)
    , mJournal(journal)
    , mNtph(ntph)
    , mServer(std::make_unique<httplib::Server>())
    , mListener(*mServer)
{
    mRefusal.attach(mListener);
}

HttpFrontend::~HttpFrontend()
{
    mFaults.release();
    mRefusal.detach();
    mListener.stop();
}

int HttpFrontend::start(const QString &host, int port, bool nagle)
{
    const auto handler = [this](const httplib::Request &request, httplib::Response &response) {
        const DevRequest devRequest = toDevRequest(request);
        if (mRefusal.isRefusing() && !AdminService::handles(devRequest.path)) {
            // On a connection opened before the refusal: no answer, nothing done.
            response.status = 503;
            cutHalfway(response, plain(503, "refused"));
            return;
        }
        const FaultInjector::Fault fault = faultFor(devRequest);
        DevResponse answered = fault.kind == FaultInjector::Kind::Fail
            ? plain(fault.status, "injected failure")
            : answer(devRequest);
        response.status = answered.status;
        if (fault.kind == FaultInjector::Kind::Drop) {
            cutHalfway(response, answered);
            return;
        }
        if (fault.kind == FaultInjector::Kind::Garble)
            answered.body.truncate(answered.body.size() / 2);
        response.set_content(answered.body.toStdString(), answered.contentType.toStdString());
    };
    // Headers and body go out in separate writes: without this, Nagle's algorithm holds
    // the body back for the client's delayed acknowledgement (some 40 ms).
    mServer->set_tcp_nodelay(!nagle);
    const std::string any = "/.*";
    mServer->Get(any, handler).Post(any, handler).Put(any, handler).Delete(any, handler);
    return mListener.start(
        host, port, [this](const httplib::Request &request, const httplib::Response &response) {
            const QString path = QString::fromStdString(request.path);
            if (!AdminService::handles(path))
                mJournal.add(QString::fromStdString(request.method), path, response.status);
        });
}

// Admin requests meet no fault.
FaultInjector::Fault HttpFrontend::faultFor(const DevRequest &request)
{
    return AdminService::handles(request.path) ? FaultInjector::Fault() : mFaults.next();
}

DevResponse HttpFrontend::answer(const DevRequest &request)
{
    if (AdminService::handles(request.path))
        return inMainThread([&] { return mAdmin.handle(request); });
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
    HappensBefore::invoke(
        this, [&] { response = work(); }, Qt::BlockingQueuedConnection);
    return response;
}
