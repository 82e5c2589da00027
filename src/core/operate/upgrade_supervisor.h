#pragma once
// The firmware upgrades of the batch operation page: it opens and starts each
// device's upgrade, turns the SDK's progress callbacks into percent, reports
// them on its own event thread, fails an upgrade that stays silent for two
// watchdog periods (on the injected clock), and counts the batch's successes
// and failures for the completion test.
//
// The SDK calls the progress callback on a thread of its own; the callback
// only notes the percent and queues it. The event thread reports it, ends a
// finished upgrade (the device restarts, so its login ends too) and then
// calls the owner's callback, where the batch engine tests completion and
// gives back its record lease.
//
// Each running upgrade has a state of its own here, keyed by its record; the
// record itself holds only what the search found, the login table its login
// (which the supervisor ends with the upgrade). Records must
// stay valid while their upgrade runs (the batch engine's lease keeps them).
#include "discovery/device_entry.h"
#include "operate/batch_observer.h"
#include "operate/login_table.h"
#include "operate/sdk_calls.h"
#include "platform/clock.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class UpgradeSupervisor {
public:
    // watchdogMs: the watchdog's period on clock. sdk, clock, logins and
    // observer must outlive the supervisor. onEvent runs on the event thread
    // after each progress event and each upgrade that ended, never under a
    // lock.
    UpgradeSupervisor(IBatchObserver& observer, LoginTable& logins, int watchdogMs, const SdkCalls& sdk,
                      Clock& clock, std::function<void()> onEvent);
    // Upgrades still running are closed, so no callback reaches this object.
    ~UpgradeSupervisor();
    UpgradeSupervisor(const UpgradeSupervisor&) = delete;
    UpgradeSupervisor& operator=(const UpgradeSupervisor&) = delete;

    // An upgrade batch of `devices` records begins: the counters restart.
    void BeginBatch(int devices);
    // A device of the batch whose upgrade never started (its login failed).
    void Count(bool success);
    // Opens and starts the upgrade of a record logged in with loginHandle; a
    // device that refuses either is reported and counted as a failure at
    // once.
    void Start(DeviceEntry& entry, int loginHandle, const std::string& path);
    // Every device of the current batch is counted.
    bool BatchComplete() const;
    // An upgrade runs, of the current batch or an earlier one.
    bool Running() const;
    // The callback contexts still held: one per running upgrade.
    std::size_t ContextsHeld() const;

private:
    // A running upgrade: it exists from the successful SDK_OpenUpgrade until
    // the final state, the watchdog or a refused start ends it, and only then
    // is the device's progress shown.
    struct Context;
    struct DeviceUpgrade {
        DeviceEntry* entry = nullptr;
        Context* context = nullptr; // what the SDK hands back to the callback
        int upgradeHandle = 0;      // from SDK_OpenUpgrade
        int lastPercent = 0;        // last percent the progress callback reported
        int stallCount = 0;         // watchdog ticks since the last progress report
        std::string path;           // the firmware file (why a failed upgrade failed)
    };
    struct Context {
        UpgradeSupervisor* supervisor;
        DeviceEntry* entry;
    };
    struct ProgressEvent {
        DeviceEntry* entry;
        int percent;
    };

    static void ProgressCallback(int, int, int total, int value, void* context);
    void OnProgress(DeviceEntry& entry, int total, int value);
    void HandleProgress(const ProgressEvent& event);
    void WatchdogTick();
    void FailUpgrade(DeviceEntry& entry);
    // Under m_lock: the record's upgrade ends; returns the upgrade handle it
    // had and its context, to be released once the handle is closed.
    std::pair<int, Context*> EndUpgradeLocked(std::vector<DeviceUpgrade>::iterator upgrade);
    // After the upgrade's handle is closed (no callback can come any more).
    void ReleaseContext(Context* context);
    std::vector<DeviceUpgrade>::iterator FindLocked(const DeviceEntry& entry);
    void EventLoop();

    IBatchObserver& m_observer;
    LoginTable& m_logins;
    const int m_watchdogMs;
    const SdkCalls& m_sdk;
    Clock& m_clock;
    const std::function<void()> m_onEvent;

    // The counters, the upgrade states and the contexts.
    mutable std::mutex m_lock;
    int m_total = 0;
    int m_successes = 0;
    int m_failures = 0;
    std::vector<DeviceUpgrade> m_upgrades; // keyed by entry, in the order they started
    // One per running upgrade: it is what the SDK hands back to the
    // progress callback, released once the upgrade's handle is closed.
    std::vector<std::unique_ptr<Context>> m_contexts;

    std::mutex m_queueMutex;
    std::condition_variable m_queueSignal;
    std::deque<ProgressEvent> m_queue;
    bool m_stopping = false;
    std::thread m_eventThread;
};
