#pragma once

#include "common/httplistener.h"
#include "devserver/devexchange.h"
#include "devserver/faultinjector.h"

#include <QObject>

#include <memory>

namespace httplib {
class Server;
}
class AdminService;
class ConnectionRefusal;
class FaultInjector;
class NtphResponder;
class ProtocolService;
class RequestJournal;

// The HTTP side: cpp-httplib serves on its own threads; the reachability page, the
// time exchange and injected faults are answered there, protocol and admin requests
// are handed to the services in this object's (the main) thread one at a time. While
// connections are refused, a request on a connection opened before gets no answer.
// Every request is logged to stdout as "time method path -> status".
class HttpFrontend : public QObject
{
    Q_OBJECT
public:
    HttpFrontend(ProtocolService &protocol,
                 AdminService &admin,
                 FaultInjector &faults,
                 ConnectionRefusal &refusal,
                 RequestJournal &journal,
                 const NtphResponder &ntph,
                 QObject *parent = nullptr);
    ~HttpFrontend() override;

    // Binds (port 0 picks a free one) and starts serving; returns the port, or -1. With
    // `nagle`, a reply's header and body go out as two writes under Nagle's algorithm: on a
    // kept-alive connection the body waits for the client's delayed acknowledgement of the
    // header (some 40 ms), as with servers that do not set TCP_NODELAY.
    int start(const QString &host, int port, bool nagle = false);

private:
    DevResponse answer(const DevRequest &request);
    FaultInjector::Fault faultFor(const DevRequest &request);
    DevResponse inMainThread(const std::function<DevResponse()> &work);

    ProtocolService &mProtocol;
    AdminService &mAdmin;
    FaultInjector &mFaults;
    ConnectionRefusal &mRefusal;
    RequestJournal &mJournal;
    const NtphResponder &mNtph;
    std::unique_ptr<httplib::Server> mServer;
    HttpListener mListener;
};
