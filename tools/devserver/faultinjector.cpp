#include "devserver/faultinjector.h"

#include <chrono>

void FaultInjector::failNext(int count, int status, int after)
{
    std::lock_guard<std::mutex> lock(mMutex);
    mFailCount = count;
    mFailStatus = status;
    mStallCount = 0;
    mSkip = after;
}

void FaultInjector::stallNext(int count, int after)
{
    std::lock_guard<std::mutex> lock(mMutex);
    mStallCount = count;
    mFailCount = 0;
    mSkip = after;
}

void FaultInjector::release()
{
    {
        std::lock_guard<std::mutex> lock(mMutex);
        mFailCount = 0;
        mStallCount = 0;
        mSkip = 0;
        ++mGeneration;
    }
    mReleased.notify_all();
}

int FaultInjector::next()
{
    std::unique_lock<std::mutex> lock(mMutex);
    if (mFailCount == 0 && mStallCount == 0)
        return 0;
    if (mSkip > 0) {
        --mSkip;
        return 0;
    }
    if (mFailCount > 0) {
        --mFailCount;
        return mFailStatus;
    }
    --mStallCount;
    // Bounded, so that a forgotten stall cannot keep a server thread forever.
    const unsigned generation = mGeneration;
    mReleased.wait_for(lock, std::chrono::minutes(10), [&] { return mGeneration != generation; });
    return 0;
}
