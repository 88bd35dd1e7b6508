#include "devserver/connectionrefusal.h"

#include "common/httplistener.h"

#include <chrono>
#include <cstdio>

ConnectionRefusal::~ConnectionRefusal()
{
    detach();
}

void ConnectionRefusal::attach(HttpListener &listener)
{
    detach();
    std::lock_guard<std::mutex> lock(mMutex);
    mListener = &listener;
    mCancel = false;
}

void ConnectionRefusal::detach()
{
    {
        std::lock_guard<std::mutex> lock(mMutex);
        mCancel = true;
    }
    mCancelled.notify_all();
    if (mThread.joinable())
        mThread.join();
    mListener = nullptr;
}

bool ConnectionRefusal::refuseFor(int ms)
{
    if (mRefusing || !mListener)
        return false;
    if (mThread.joinable())
        mThread.join();
    mRefusing = true;
    mThread = std::thread([this, ms] {
        // The stop waits for open connections to end, which takes part of the time.
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        mListener->stop();
        {
            std::unique_lock<std::mutex> lock(mMutex);
            mCancelled.wait_until(lock, end, [this] { return mCancel; });
        }
        if (!mListener->listenAgain())
            std::fprintf(stderr, "cannot listen again after refusing connections\n");
        mRefusing = false;
    });
    return true;
}
