#pragma once

#include "foundation/clock.h"

#include <functional>

// Runs the code on the test's own time while it lives.
class TestClock : public Clock
{
public:
    explicit TestClock(std::function<qint64()> msSinceEpoch)
        : mMsSinceEpoch(std::move(msSinceEpoch))
    {
        setInstance(this);
    }
    ~TestClock() override { setInstance(nullptr); }
    TestClock(const TestClock &) = delete;
    TestClock &operator=(const TestClock &) = delete;

    qint64 msSinceEpoch() const override { return mMsSinceEpoch(); }

private:
    std::function<qint64()> mMsSinceEpoch;
};
