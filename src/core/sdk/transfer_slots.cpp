#include "sdk/transfer_slots.h"

#include <chrono>

namespace sdkclient {

void TransferSlots::SetCapacity(int capacity) {
    if (capacity < 1) {
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_capacity = capacity;
    }
    m_freed.notify_all();
}

int TransferSlots::Capacity() const {
    std::lock_guard lock(m_mutex);
    return m_capacity;
}

bool TransferSlots::Acquire(const std::function<bool()>& cancelled, const std::function<void()>& waiting,
                            int periodMs) {
    // cancelled() is tested under the lock, so a WakeAll after it is never
    // missed; waiting() runs without it (it reports to the caller).
    const auto take = [&] {
        if (m_used < m_capacity) {
            ++m_used;
            return true;
        }
        return false;
    };
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (cancelled()) {
            return false;
        }
        if (take()) {
            return true;
        }
        lock.unlock();
        waiting();
        lock.lock();
        if (cancelled()) {
            return false;
        }
        if (take()) {
            return true;
        }
        m_freed.wait_for(lock, std::chrono::milliseconds(periodMs));
    }
}

void TransferSlots::Release() {
    {
        std::lock_guard lock(m_mutex);
        --m_used;
    }
    m_freed.notify_one();
}

void TransferSlots::WakeAll() {
    std::lock_guard lock(m_mutex);
    m_freed.notify_all();
}

TransferSlots& UpgradeTransferSlots() {
    static TransferSlots slots(8);
    return slots;
}

} // namespace sdkclient
