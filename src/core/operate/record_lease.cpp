#include "operate/record_lease.h"

#include <chrono>

RecordLeases::Lease::~Lease() {
    {
        std::lock_guard lock(m_owner.m_mutex);
        --m_owner.m_count;
    }
    m_owner.m_released.notify_all();
}

std::unique_ptr<RecordLeases::Lease> RecordLeases::Acquire() {
    std::lock_guard lock(m_mutex);
    ++m_count;
    return std::make_unique<Lease>(*this);
}

bool RecordLeases::InUse() const {
    std::lock_guard lock(m_mutex);
    return m_count > 0;
}

bool RecordLeases::WaitUntilFree(int timeoutMs) const {
    std::unique_lock lock(m_mutex);
    return m_released.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_count == 0; });
}
