#pragma once
// The millisecond clock the search and the configuration exchanges run on.
// A seam, so tests can run the exact timing rules on a clock they move.
#include <cstdint>

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds from an arbitrary start; never goes backwards.
    virtual int64_t NowMs() = 0;
    virtual void SleepMs(int64_t ms) = 0;
};

// The monotonic clock of the platform; safe to share between threads.
Clock& SteadyClock();
