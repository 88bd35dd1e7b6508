#include "common/httplistener.h"

#include <QDateTime>

#include <httplib.h>

#include <cstdio>

HttpListener::HttpListener(httplib::Server &server)
    : mServer(server)
{
}

HttpListener::~HttpListener()
{
    stop();
}

int HttpListener::start(const QString &host, int port, Observer observer)
{
    mServer.set_logger(
        [observer](const httplib::Request &request, const httplib::Response &response) {
            if (observer)
                observer(request, response);
            std::printf("%s %s %s -> %d\n",
                        qPrintable(QDateTime::currentDateTime().toString(
                            QStringLiteral("yyyy-MM-dd hh:mm:ss"))),
                        request.method.c_str(),
                        request.path.c_str(),
                        response.status);
            std::fflush(stdout);
        });
    const std::string address = host.toStdString();
    const int bound = port == 0 ? mServer.bind_to_any_port(address)
                                : (mServer.bind_to_port(address, port) ? port : -1);
    if (bound < 0)
        return -1;
    mHost = host;
    mPort = bound;
    mThread = std::thread([this] { mServer.listen_after_bind(); });
    return bound;
}

bool HttpListener::listenAgain()
{
    if (mPort < 0 || mThread.joinable() || !mServer.bind_to_port(mHost.toStdString(), mPort))
        return false;
    mThread = std::thread([this] { mServer.listen_after_bind(); });
    return true;
}

void HttpListener::stop()
{
    mServer.stop();
    if (mThread.joinable())
        mThread.join();
}
