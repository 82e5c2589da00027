#pragma once
// At most N firmware transfers at once across every upgrade of the process;
// the others wait their turn. A waiting upgrade keeps telling its caller it
// is alive (its progress callback reports "0 bytes sent"), so a watchdog
// does not fail a device that only waits.
#include <condition_variable>
#include <functional>
#include <mutex>

namespace sdkclient {

class TransferSlots {
public:
    explicit TransferSlots(int capacity) : m_capacity(capacity) {}

    // Values below 1 keep the current capacity.
    void SetCapacity(int capacity);
    int Capacity() const;
    // Waits for a slot. While waiting, calls waiting() every periodMs; gives
    // up (false, no slot taken) once cancelled() holds, tested at least that
    // often and after every WakeAll. cancelled() runs under the slots' lock:
    // it must not wait for anything that calls into these slots.
    bool Acquire(const std::function<bool()>& cancelled, const std::function<void()>& waiting, int periodMs);
    void Release();
    // Lets every waiter test cancelled() at once.
    void WakeAll();

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_freed;
    int m_capacity;
    int m_used = 0;
};

// The process-wide slots of the SDK's upgrades.
TransferSlots& UpgradeTransferSlots();

} // namespace sdkclient
