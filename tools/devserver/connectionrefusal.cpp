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
        mListener->stop();
        {
            std::unique_lock<std::mutex> lock(mMutex);
            mCancelled.wait_for(lock, std::chrono::milliseconds(ms), [this] { return mCancel; });
        }
        if (!mListener->listenAgain())
            std::fprintf(stderr, "cannot listen again after refusing connections\n");
        mRefusing = false;
    });
    return true;
}
