#pragma once
// The batch operations and what a batch tells its front end. The batch
// engine and the upgrade supervisor call the observer from their worker and
// event threads; the desktop program re-posts each call to its window.
#include "discovery/device_entry.h"
#include "operate/batch_report.h"

#include <cstddef>
#include <string>

enum class BatchOperation { Reboot, FactoryDefault, Password, Port, Upgrade, ConfigImport, SetTime };
constexpr std::size_t kBatchOperationCount = 7;

class IBatchObserver {
public:
    virtual ~IBatchObserver() = default;
    // A device's outcome: a final one once per device and batch, progress
    // reports while its upgrade runs (only when the percent changed).
    virtual void OnDeviceReport(const DeviceEntry& entry, const DeviceReport& report) = 0;
    // After a port or time batch: the device list redraws the rows' ports
    // and device times.
    virtual void OnRecordsChanged() = 0;
    // completed: show "info.operate_completed"; false: cancelled at login.
    virtual void OnBatchEnded(BatchOperation operation, bool completed) = 0;
};
