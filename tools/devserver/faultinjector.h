#pragma once

#include <condition_variable>
#include <mutex>

// Test switch that makes the next protocol requests fail with a status or hang until
// released. Asked from the HTTP threads, set from the admin routes.
class FaultInjector
{
public:
    // Requests after the first `after` ones: `count` of them fail with `status`.
    void failNext(int count, int status, int after);
    // Requests after the first `after` ones: `count` of them hang until release().
    void stallNext(int count, int after);
    // Lets hanging requests go on and drops every pending fault.
    void release();

    // Called once per protocol request; hangs while the request is stalled. Returns the
    // status to fail the request with, or 0 to answer it normally.
    int next();

private:
    std::mutex mMutex;
    std::condition_variable mReleased;
    int mSkip = 0;
    int mFailCount = 0;
    int mFailStatus = 500;
    int mStallCount = 0;
    unsigned mGeneration = 0;
};
