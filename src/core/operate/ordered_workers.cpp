#include "operate/ordered_workers.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

void RunInOrder(std::size_t count, int workers, const std::function<void(std::size_t)>& job,
                const std::function<bool()>& stop) {
    if (count == 0) {
        return;
    }
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        while (!stop()) {
            const std::size_t index = next.fetch_add(1);
            if (index >= count) {
                return;
            }
            job(index);
        }
    };
    const std::size_t helpers =
        std::min<std::size_t>(count, static_cast<std::size_t>(std::max(workers, 1))) - 1;
    std::vector<std::thread> threads;
    threads.reserve(helpers);
    for (std::size_t i = 0; i < helpers; ++i) {
        threads.emplace_back(work);
    }
    work();
    for (std::thread& thread : threads) {
        thread.join();
    }
}
