#pragma once
// Keeps the device records a batch points into alive: a batch holds a lease
// from its start until its last upgrade has ended, and whoever would empty
// the device table (a new search) asks InUse() first and refuses or waits.
#include <condition_variable>
#include <memory>
#include <mutex>

class RecordLeases {
public:
    class Lease {
    public:
        explicit Lease(RecordLeases& owner) : m_owner(owner) {}
        ~Lease();
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;

    private:
        RecordLeases& m_owner;
    };

    std::unique_ptr<Lease> Acquire();
    bool InUse() const;
    // Waits until no lease is held; false when the time ran out.
    bool WaitUntilFree(int timeoutMs) const;

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_released;
    int m_count = 0;
};
