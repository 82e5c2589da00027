#pragma once
// Work on the devices of a batch, several at once: job(i) for i from 0 to
// count - 1, on at most `workers` threads (the caller's among them). The
// devices are taken in their order (i only after i - 1), and once stop()
// holds no further device is taken; the ones running finish.
// Returns when every started job has ended.
#include <cstddef>
#include <functional>

void RunInOrder(std::size_t count, int workers, const std::function<void(std::size_t)>& job,
                const std::function<bool()>& stop);
