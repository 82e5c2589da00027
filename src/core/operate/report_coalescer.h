#pragma once
// Gathers the batch engine's device reports between two deliveries to a
// window: a device's progress reports replace each other, so however often
// 200 devices report, one delivery carries at most one progress report per
// device, while every final report is kept, in order. Thread-safe: the
// engine's threads Add, the window thread Take.
#include "discovery/device_entry.h"
#include "operate/batch_report.h"

#include <mutex>
#include <unordered_map>
#include <vector>

class ReportCoalescer {
public:
    struct Pending {
        const DeviceEntry* entry;
        DeviceReport report;
    };

    // True when the gathering was empty: the caller schedules one delivery.
    bool Add(const DeviceEntry& entry, const DeviceReport& report);
    // Everything gathered, in the order of arrival (a replaced progress
    // report keeps its first place); the gathering is empty afterwards.
    std::vector<Pending> Take();

private:
    std::mutex m_mutex;
    std::vector<Pending> m_pending;
    // Index in m_pending of the device's progress report, while it is the
    // device's last report there.
    std::unordered_map<const DeviceEntry*, std::size_t> m_progressAt;
};
