#pragma once

#include <QString>

#include <functional>
#include <thread>

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

// Runs a cpp-httplib server of a development tool on its own thread and writes each
// request to stdout as "time method path -> status"; stops and joins on destruction.
class HttpListener
{
public:
    using Observer = std::function<void(const httplib::Request &, const httplib::Response &)>;

    explicit HttpListener(httplib::Server &server);
    ~HttpListener();

    // Binds (port 0 picks a free one) and starts serving; returns the port, or -1.
    // The observer sees every answered request.
    int start(const QString &host, int port, Observer observer = {});
    // After stop(): binds to the port of the last start again and serves; false when the
    // port cannot be had.
    bool listenAgain();
    void stop();

private:
    httplib::Server &mServer;
    std::thread mThread;
    QString mHost;
    int mPort = -1;
};
