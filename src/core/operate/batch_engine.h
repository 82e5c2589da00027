#pragma once
// The batch engine of the batch operation page, without any window: it runs
// one operation over the ticked device records in order, each through the
// link of its device family, logs in through BatchLogin (credentials asked
// once per batch), reports each device's outcome through the observer, and
// hands each device's firmware upgrade to its UpgradeSupervisor, which
// reports progress and counts the results; the engine ends the upgrade batch
// when every device is counted. A device whose record lacks the operation is
// reported "not supported" without a login. An upgrade batch, once its
// credentials are asked, logs in as many devices at once as transfers may
// run at once (still taken in tree order), and each device's transfer
// starts as soon as it is logged in.
//
// Every batch runs on a worker thread, so a window never freezes; the
// observer is called from the worker, from an upgrade batch's login
// threads and from the supervisor's event thread (the desktop program
// re-posts to its window). The records handed to a
// batch must stay valid until it ends: the engine holds a lease of the
// context's RecordLeases for that time, and until no upgrade runs.
#include "discovery/device_entry.h"
#include "operate/batch_observer.h"
#include "operate/batch_report.h"
#include "operate/device_steps.h"
#include "operate/link_upgrades.h"
#include "operate/login.h"
#include "operate/operate_context.h"
#include "operate/upgrade_supervisor.h"
#include "platform/clock.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct BatchRequest {
    BatchOperation operation = BatchOperation::Reboot;
    std::vector<DeviceEntry*> devices; // the ticked records, in tree order
    std::string oldPassword;           // password change
    std::string newPassword;
    PortTriple ports;         // port change
    std::string path;         // firmware or configuration file
    TimeSetting time;         // clock setting
    bool keepNetwork = false; // factory default: the devices keep their network settings
};

class BatchEngine {
public:
    // watchdogMs: the upgrade watchdog's period on clock, 30000 in the
    // program. context and clock must outlive the engine.
    BatchEngine(ILoginPrompt& prompt, IBatchObserver& observer, OperateContext& context,
                int watchdogMs = 30000, Clock& clock = SteadyClock());
    ~BatchEngine();
    BatchEngine(const BatchEngine&) = delete;
    BatchEngine& operator=(const BatchEngine&) = delete;

    // false (nothing started) when a batch is running or no device is given;
    // the page shows "info.Configuring_wait" or "msg.Sel_dev_first".
    bool Start(BatchRequest request);
    bool Busy() const;
    bool Busy(BatchOperation operation) const;
    // Waits until the busy flags are clear and no upgrade of a batch runs.
    bool WaitIdle(int timeoutMs) const;

private:
    void RunBatch(BatchRequest request);
    // One device: its login, then its step; false when the login prompt
    // was cancelled (the batch ends).
    bool RunDevice(const BatchRequest& request, DeviceEntry& entry, BatchCredentials& credentials);
    void Report(const DeviceEntry& entry, const DeviceReport& report);
    void LoggedOut(const DeviceEntry& entry);
    void EndBatch(BatchOperation operation, bool completed);
    void SetBusy(BatchOperation operation, bool busy);

    void RunDeviceStep(const BatchRequest& request, DeviceEntry& entry, DeviceLink& link,
                       const DeviceLogin& login);
    void StartDeviceUpgrade(const BatchRequest& request, DeviceEntry& entry, DeviceLink& link,
                            const DeviceLogin& login);
    void CountUpgrade(bool success);
    // Ends the upgrade batch once every device is counted.
    void CheckUpgradeCompletion();
    void ReleaseLeaseWhenIdle();

    ILoginPrompt& m_prompt;
    IBatchObserver& m_observer;
    OperateContext& m_context;
    // Upgrades are the native family's.
    const SdkCalls& m_sdk;

    // The page lock: the busy flags, the worker's state and the lease. Taken
    // before the supervisor's own lock, never after it.
    mutable std::mutex m_pageLock;
    std::array<bool, kBatchOperationCount> m_busy{};
    bool m_workerRunning = false;
    std::unique_ptr<RecordLeases::Lease> m_lease;
    mutable std::condition_variable m_idle;
    // Set when the engine goes: no further device of a batch starts.
    std::atomic<bool> m_stopping{false};

    // After everything its callback touches, so that it ends first.
    UpgradeSupervisor m_upgrades;
    // The upgrades of families that upgrade themselves; after the
    // supervisor, whose counters its threads use, so that it ends first.
    LinkUpgrades m_linkUpgrades;
    std::thread m_worker;
};
