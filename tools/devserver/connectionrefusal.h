#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

class HttpListener;

// Makes the server refuse connections for a while: its listener stops, so that the port
// answers connection attempts with a reset, and listens again on the same port later.
// Works on a thread of its own, so that the request asking for it is answered first.
class ConnectionRefusal
{
public:
    ~ConnectionRefusal();

    // The listener to stop; detach() ends a running refusal (listening again) first.
    void attach(HttpListener &listener);
    void detach();

    // Stops listening now and listens again after `ms`; false while a refusal runs or
    // without a listener.
    bool refuseFor(int ms);
    bool isRefusing() const { return mRefusing; }

private:
    HttpListener *mListener = nullptr;
    std::thread mThread;
    std::mutex mMutex;
    std::condition_variable mCancelled;
    bool mCancel = false;
    std::atomic<bool> mRefusing { false };
};
