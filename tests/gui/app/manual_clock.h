#pragma once
// A clock that moves only when the test moves it, for the periodic search.
#include "platform/clock.h"

#include <atomic>

class ManualClock : public Clock {
public:
    int64_t NowMs() override { return m_now.load(); }
    void SleepMs(int64_t ms) override { m_now += ms; }
    void Advance(int64_t ms) { m_now += ms; }

private:
    std::atomic<int64_t> m_now{1000};
};
