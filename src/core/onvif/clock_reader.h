#pragma once
// Reads the clocks of the devices a search finds, while it runs: each
// device's GetSystemDateAndTime (no login needed) on a few worker threads,
// giving its time and its clock offset for later logins.
#include "discovery/device_entry.h"
#include "onvif/soap_transport.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace onvif {

class ClockReader {
public:
    // read gets every device whose clock was read, on a worker thread, one
    // call at a time.
    using ReadCallback = std::function<void(const DeviceEntry&)>;

    ClockReader(SoapTransport& transport, std::size_t concurrency, ReadCallback read);
    ~ClockReader();
    ClockReader(const ClockReader&) = delete;
    ClockReader& operator=(const ClockReader&) = delete;

    void Add(const DeviceEntry& entry);
    // Drops what has not started when abandon is set; waits for the calls
    // in flight; returns the devices read, with device time and offset set.
    std::vector<DeviceEntry> Finish(bool abandon);

private:
    void Work();

    SoapTransport& m_transport;
    std::size_t m_concurrency;
    ReadCallback m_read;
    std::mutex m_mutex;
    std::mutex m_reportMutex; // one read callback at a time
    std::condition_variable m_signal;
    std::deque<DeviceEntry> m_queue;
    std::vector<DeviceEntry> m_done;
    std::vector<std::thread> m_workers;
    bool m_closed = false;
};

// Reads one device's clock into its record; false when the device gave no
// usable answer. nowUtcSeconds: this computer's clock.
bool ReadDeviceClock(SoapTransport& transport, DeviceEntry& entry, int64_t nowUtcSeconds);

} // namespace onvif
