// Work on a batch's devices several at once: devices start in their order,
// never more at once than the workers, and a stop keeps the rest unstarted.
#include "operate/ordered_workers.h"

#include <atomic>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <vector>

namespace {

// Jobs that hold until as many are running as the test waits for, so that
// the most at once is reached whenever the pool allows it.
struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::size_t> started;
    int running = 0;
    int most = 0;

    void Job(std::size_t index, int hold) {
        std::unique_lock lock(mutex);
        started.push_back(index);
        most = std::max(most, ++running);
        changed.notify_all();
        changed.wait_for(lock, std::chrono::milliseconds(200), [&] { return running >= hold; });
        --running;
        changed.notify_all();
    }
};

} // namespace

TEST(RunInOrder, StartsDevicesInOrderWithAtMostTheWorkersAtOnce) {
    Gate gate;
    RunInOrder(
        10, 3, [&](std::size_t index) { gate.Job(index, 3); }, [] { return false; });
    // Each device once; the k-th to start is at most two places ahead of
    // its turn (two other workers may have taken theirs just before it).
    ASSERT_EQ(gate.started.size(), 10u);
    std::vector<bool> seen(10, false);
    for (std::size_t k = 0; k < gate.started.size(); ++k) {
        EXPECT_LT(gate.started[k], k + 3);
        EXPECT_FALSE(seen.at(gate.started[k]));
        seen.at(gate.started[k]) = true;
    }
    EXPECT_EQ(gate.most, 3);

    // Fewer devices than workers: each device once; none at all is no work.
    Gate few;
    RunInOrder(
        2, 8, [&](std::size_t index) { few.Job(index, 2); }, [] { return false; });
    EXPECT_EQ(few.started, (std::vector<std::size_t>{0, 1}));
    RunInOrder(
        0, 4, [](std::size_t) { FAIL(); }, [] { return false; });
}

TEST(RunInOrder, AStopLetsTheRunningDevicesFinishAndStartsNoOther) {
    std::atomic<bool> stop{false};
    std::atomic<int> finished{0};
    std::mutex mutex;
    std::vector<std::size_t> started;
    RunInOrder(
        50, 4,
        [&](std::size_t index) {
            {
                std::lock_guard lock(mutex);
                started.push_back(index);
            }
            if (index == 5) {
                stop = true;
            }
            ++finished;
        },
        [&] { return stop.load(); });
    // Device 5 stopped it; at most the three other workers had taken one
    // device each beyond it.
    EXPECT_GE(started.size(), 6u);
    EXPECT_LE(started.size(), 9u);
    EXPECT_EQ(finished.load(), static_cast<int>(started.size()));
}
