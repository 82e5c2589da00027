#pragma once
// The batch engine of the batch operation page, without any window: it runs
// one operation over the ticked device records in order, logs in through
// BatchLogin (credentials asked once per batch), reports each device's
// outcome through the observer, counts upgrade results under its lock, turns
// upgrade progress into percent, and fails silent upgrades by its watchdog.
//
// Every batch runs on a worker thread, so a window never freezes; the
// observer is called from the worker and from the engine's own event thread
// (the desktop program re-posts to its window). The records handed to a
// batch must stay valid until it ends: the engine holds a lease of the
// RecordLeases given to it for that time.
//
// The record's upgrade supervision values: upgradeItem is non-zero while the
// device's progress is shown (the page's upgrade item), lastPercent is the
// last percent reported, stallCount the watchdog ticks since the last report.
#include "discovery/device_entry.h"
#include "operate/batch_report.h"
#include "operate/device_steps.h"
#include "operate/login.h"
#include "operate/record_lease.h"
#include "operate/sdk_calls.h"
#include "platform/clock.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

enum class BatchOperation { Reboot, FactoryDefault, Password, Port, Upgrade, ConfigImport };
constexpr std::size_t kBatchOperationCount = 6;

class IBatchObserver {
public:
    virtual ~IBatchObserver() = default;
    // A device's outcome: a final one once per device and batch, progress
    // reports while its upgrade runs (only when the percent changed).
    virtual void OnDeviceReport(const DeviceEntry& entry, const DeviceReport& report) = 0;
    // The device list writes "tx.Logined" / "tx.unLogin" into the row.
    virtual void OnLoginState(const std::string& mac, bool loggedIn) = 0;
    // After a port batch: the device list redraws its rows (ports).
    virtual void OnPortsChanged() = 0;
    // completed: show "info.operate_completed"; false: cancelled at login.
    virtual void OnBatchEnded(BatchOperation operation, bool completed) = 0;
};

struct BatchRequest {
    BatchOperation operation = BatchOperation::Reboot;
    std::vector<DeviceEntry*> devices; // the ticked records, in tree order
    std::string oldPassword;           // password change
    std::string newPassword;
    PortTriple ports; // port change
    std::string path; // firmware or configuration file
};

class BatchEngine {
public:
    // watchdogMs: the upgrade watchdog's period on clock, 30000 in the
    // program. sdk and clock must outlive the engine.
    BatchEngine(ILoginPrompt& prompt, IBatchObserver& observer, RecordLeases& leases, int watchdogMs = 30000,
                const SdkCalls& sdk = RealSdk(), Clock& clock = SteadyClock());
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
    struct ProgressEvent {
        DeviceEntry* entry;
        int percent;
    };
    struct UpgradeContext {
        BatchEngine* engine;
        DeviceEntry* entry;
    };

    void RunBatch(BatchRequest request);
    void Report(const DeviceEntry& entry, const DeviceReport& report);
    void LoggedOut(DeviceEntry& entry, bool callLogout);
    void EndBatch(BatchOperation operation, bool completed);
    void SetBusy(BatchOperation operation, bool busy);

    void RunDeviceStep(const BatchRequest& request, DeviceEntry& entry);
    void StartDeviceUpgrade(const BatchRequest& request, DeviceEntry& entry);
    static void ProgressCallback(int, int, int total, int value, void* context);
    void OnProgress(DeviceEntry& entry, int total, int value);
    void HandleProgress(const ProgressEvent& event);
    void WatchdogTick();
    void FailUpgrade(DeviceEntry& entry);
    // Under m_pageLock: the record's upgrade ends; clears its upgrade and
    // login values and returns the upgrade handle it had.
    int EndUpgradeLocked(DeviceEntry& entry);
    void CountUpgrade(bool success);
    // The firmware file of the last upgrade batch (why an upgrade failed).
    std::string UpgradePath() const;
    void CheckUpgradeCompletion();
    void EventLoop();
    void ReleaseLeaseWhenIdle();
    std::vector<DeviceEntry*> RecordsWithRunningUpgrades() const; // under m_pageLock

    ILoginPrompt& m_prompt;
    IBatchObserver& m_observer;
    RecordLeases& m_leases;
    const int m_watchdogMs;
    const SdkCalls& m_sdk;
    Clock& m_clock;

    // The page lock: counters, their comparison with the total, and the
    // records' upgrade values.
    mutable std::mutex m_pageLock;
    std::array<bool, kBatchOperationCount> m_busy{};
    int m_total = 0;
    int m_upgradeSuccesses = 0;
    int m_upgradeFailures = 0;
    std::string m_upgradePath;
    std::vector<DeviceEntry*> m_batchDevices;
    int m_runningUpgrades = 0;
    bool m_workerRunning = false;
    std::unique_ptr<RecordLeases::Lease> m_lease;
    std::deque<std::unique_ptr<UpgradeContext>> m_contexts;
    mutable std::condition_variable m_idle;

    std::mutex m_queueMutex;
    std::condition_variable m_queueSignal;
    std::deque<ProgressEvent> m_queue;
    bool m_stopping = false;

    std::thread m_worker;
    std::thread m_eventThread;
};
