#pragma once

#include <condition_variable>
#include <mutex>

// Test switch that makes the next protocol requests misbehave: fail with a status, hang
// until released, answer late, lose the reply half-way or answer with a malformed body.
// Asked from the HTTP threads, set from the admin routes; a new fault replaces the last.
class FaultInjector
{
public:
    enum class Kind {
        None,
        Fail, // answered with a status instead of the reply
        Stall, // held until release(), then answered
        Slow, // held for a delay (or until release()), then answered
        Drop, // the connection closes half-way through the reply
        Garble // the reply's body is cut to its first half and sent as if whole
    };
    struct Fault
    {
        Kind kind = Kind::None;
        int status = 0; // of Fail
    };

    // Requests after the first `after` ones: `count` of them fail with `status`.
    void failNext(int count, int status, int after);
    // Requests after the first `after` ones: `count` of them hang until release().
    void stallNext(int count, int after);
    // Requests after the first `after` ones: `count` of them are answered `delayMs` late.
    void slowNext(int count, int delayMs, int after);
    // Requests after the first `after` ones: `count` of them meet `kind` (Drop or Garble).
    void damageNext(Kind kind, int count, int after);
    // Lets hanging requests go on and drops every pending fault.
    void release();

    // Called once per protocol request; holds a stalled or slowed request. The fault that
    // remains for the request's answer.
    Fault next();

private:
    void arm(Kind kind, int count, int after);

    std::mutex mMutex;
    std::condition_variable mReleased;
    Kind mKind = Kind::None;
    int mSkip = 0;
    int mCount = 0;
    int mFailStatus = 500;
    int mDelayMs = 0;
    unsigned mGeneration = 0;
};
