#include "onvif/clock_reader.h"

#include "onvif/device_call.h"
#include "onvif/device_responses.h"

#include <ctime>

namespace onvif {
namespace {

constexpr long kClockTimeoutMs = 2000;

} // namespace

bool ReadDeviceClock(SoapTransport& transport, DeviceEntry& entry, int64_t nowUtcSeconds) {
    if (entry.onvif.deviceServiceUrl.empty()) {
        return false;
    }
    const DeviceTarget target{entry.onvif.deviceServiceUrl, 0, kClockTimeoutMs};
    const CallResult call =
        CallAnonymous(transport, target, DeviceAction("GetSystemDateAndTime"), kGetSystemDateAndTime);
    const auto time = call.outcome == CallOutcome::Ok ? ParseSystemDateAndTime(call.body) : std::nullopt;
    if (!time) {
        return false;
    }
    entry.deviceTime = time->localTime;
    entry.onvif.clockOffsetSeconds = time->utcSeconds - nowUtcSeconds;
    entry.onvif.clockKnown = true;
    return true;
}

ClockReader::ClockReader(SoapTransport& transport, std::size_t concurrency, ReadCallback read)
    : m_transport(transport), m_concurrency(concurrency == 0 ? 1 : concurrency), m_read(std::move(read)) {}

ClockReader::~ClockReader() {
    Finish(true);
}

void ClockReader::Add(const DeviceEntry& entry) {
    const std::lock_guard lock(m_mutex);
    if (m_closed) {
        return;
    }
    m_queue.push_back(entry);
    if (m_workers.size() < m_concurrency) {
        m_workers.emplace_back([this] { Work(); });
    }
    m_signal.notify_one();
}

std::vector<DeviceEntry> ClockReader::Finish(bool abandon) {
    std::vector<std::thread> workers;
    {
        const std::lock_guard lock(m_mutex);
        m_closed = true;
        if (abandon) {
            m_queue.clear();
        }
        workers.swap(m_workers);
    }
    m_signal.notify_all();
    for (std::thread& worker : workers) {
        worker.join();
    }
    const std::lock_guard lock(m_mutex);
    return std::move(m_done);
}

void ClockReader::Work() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_signal.wait(lock, [this] { return m_closed || !m_queue.empty(); });
        if (m_queue.empty()) {
            return;
        }
        DeviceEntry entry = std::move(m_queue.front());
        m_queue.pop_front();
        lock.unlock();
        const bool read = ReadDeviceClock(m_transport, entry, static_cast<int64_t>(std::time(nullptr)));
        if (read && m_read) {
            const std::lock_guard report(m_reportMutex);
            m_read(entry);
        }
        lock.lock();
        if (read) {
            m_done.push_back(std::move(entry));
        }
    }
}

} // namespace onvif
