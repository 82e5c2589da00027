#include "platform/clock.h"

#include <chrono>
#include <thread>

namespace {

class SteadyClockImpl final : public Clock {
public:
    int64_t NowMs() override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    void SleepMs(int64_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

} // namespace

void Clock::WaitFor(std::condition_variable& signal, std::unique_lock<std::mutex>& lock, int64_t ms) {
    signal.wait_for(lock, std::chrono::milliseconds(ms));
}

Clock& SteadyClock() {
    static SteadyClockImpl clock;
    return clock;
}
