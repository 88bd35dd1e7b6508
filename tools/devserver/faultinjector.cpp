#include "devserver/faultinjector.h"

#include <chrono>

void FaultInjector::arm(Kind kind, int count, int after)
{
    mKind = kind;
    mCount = count;
    mSkip = after;
}

void FaultInjector::failNext(int count, int status, int after)
{
    std::lock_guard<std::mutex> lock(mMutex);
    arm(Kind::Fail, count, after);
    mFailStatus = status;
}

void FaultInjector::stallNext(int count, int after)
{
    std::lock_guard<std::mutex> lock(mMutex);
    arm(Kind::Stall, count, after);
}

void FaultInjector::slowNext(int count, int delayMs, int after)
{
    std::lock_guard<std::mutex> lock(mMutex);
    arm(Kind::Slow, count, after);
    mDelayMs = delayMs;
}

void FaultInjector::damageNext(Kind kind, int count, int after)
{
    std::lock_guard<std::mutex> lock(mMutex);
    arm(kind, count, after);
}

void FaultInjector::release()
{
    {
        std::lock_guard<std::mutex> lock(mMutex);
        arm(Kind::None, 0, 0);
        ++mGeneration;
    }
    mReleased.notify_all();
}

FaultInjector::Fault FaultInjector::next()
{
    std::unique_lock<std::mutex> lock(mMutex);
    if (mCount <= 0 || mKind == Kind::None)
        return {};
    if (mSkip > 0) {
        --mSkip;
        return {};
    }
    --mCount;
    const unsigned generation = mGeneration;
    const auto released = [&] { return mGeneration != generation; };
    switch (mKind) {
    case Kind::Fail:
        return { Kind::Fail, mFailStatus };
    case Kind::Stall:
        // Bounded, so that a forgotten stall cannot keep a server thread forever.
        mReleased.wait_for(lock, std::chrono::minutes(10), released);
        return {};
    case Kind::Slow:
        mReleased.wait_for(lock, std::chrono::milliseconds(mDelayMs), released);
        return {};
    default:
        return { mKind, 0 };
    }
}
