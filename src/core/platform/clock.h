#pragma once
// The millisecond clock the search, the configuration exchanges and the
// batch engine's watchdog run on. A seam, so tests can run the exact timing
// rules on a clock they move.
#include <condition_variable>
#include <cstdint>
#include <mutex>

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds from an arbitrary start; never goes backwards.
    virtual int64_t NowMs() = 0;
    virtual void SleepMs(int64_t ms) = 0;
    // Waits on signal (lock held on entry and on return) until it is
    // notified or ms have passed on this clock; may return early, so the
    // caller tests its condition and NowMs again.
    virtual void WaitFor(std::condition_variable& signal, std::unique_lock<std::mutex>& lock, int64_t ms);
};

// The monotonic clock of the platform; safe to share between threads.
Clock& SteadyClock();
