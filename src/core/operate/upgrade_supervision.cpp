// The upgrade half of the batch engine: starting each device's upgrade,
// turning progress callbacks into percent, the progress events, the
// watchdog and the completion test, all under the page lock.
#include "operate/batch_engine.h"
#include "sdk/session_crypto.h"

#include <algorithm>

void BatchEngine::StartDeviceUpgrade(const BatchRequest& request, DeviceEntry& entry) {
    // A damaged file or one for another model is refused before anything
    // is sent, with its own line.
    const int fits = m_sdk.checkFirmware(entry.loginHandle, request.path.c_str());
    if (fits == -2 || fits == -3) {
        LoggedOut(entry, true); // as a failed upgrade ends
        CountUpgrade(false);
        Report(entry, DeviceReport{BatchOutcome::Failure,
                                   fits == -2 ? "info.firmware_damaged" : "info.firmware_other_model", 0, 0});
        return;
    }
    // One context per started upgrade, kept for the engine's life: it is
    // what the SDK hands back to the progress callback.
    UpgradeContext* context = nullptr;
    {
        std::lock_guard lock(m_pageLock);
        m_contexts.push_back(std::make_unique<UpgradeContext>(UpgradeContext{this, &entry}));
        context = m_contexts.back().get();
        entry.stallCount = 0;
        entry.lastPercent = 0;
    }
    const int upgrade =
        m_sdk.openUpgrade(entry.loginHandle, request.path.c_str(), ProgressCallback, context, 0);
    if (upgrade == 0) {
        CountUpgrade(false);
        Report(entry, SuccessOrFailure(false));
        return;
    }
    // Stored before the start, so that an early final state is not lost.
    {
        std::lock_guard lock(m_pageLock);
        entry.upgradeHandle = upgrade;
        entry.upgradeItem = 1;
        ++m_runningUpgrades;
    }
    if (m_sdk.startUpgrade(upgrade) != 0) {
        return; // progress and the result arrive through the callback
    }
    {
        std::lock_guard lock(m_pageLock);
        entry.upgradeHandle = 0;
        entry.upgradeItem = 0;
        --m_runningUpgrades;
        ++m_upgradeFailures;
    }
    m_sdk.closeUpgrade(upgrade);
    Report(entry, SuccessOrFailure(false));
}

void BatchEngine::ProgressCallback(int, int, int total, int value, void* context) {
    auto* upgrade = static_cast<UpgradeContext*>(context);
    upgrade->engine->OnProgress(*upgrade->entry, total, value);
}

void BatchEngine::OnProgress(DeviceEntry& entry, int total, int value) {
    int percent = 0;
    if (total == 0) {
        percent = value; // the final states -1 and -2
    } else if (total == -1) {
        percent = std::min(value / 2 + 50, 100);
    } else {
        percent = static_cast<int>(static_cast<double>(value) / total * 50.0);
    }
    bool post = false;
    {
        std::lock_guard lock(m_pageLock);
        entry.stallCount = 0;
        if (percent != entry.lastPercent) {
            entry.lastPercent = percent;
            post = true;
        }
    }
    if (post) {
        {
            std::lock_guard lock(m_queueMutex);
            m_queue.push_back({&entry, percent});
        }
        m_queueSignal.notify_all();
    }
}

void BatchEngine::CountUpgrade(bool success) {
    std::lock_guard lock(m_pageLock);
    ++(success ? m_upgradeSuccesses : m_upgradeFailures);
}

void BatchEngine::CheckUpgradeCompletion() {
    {
        std::lock_guard lock(m_pageLock);
        // The busy flag is tested and cleared together, so the completion
        // is reported once even when two threads see the count complete.
        if (!m_busy[static_cast<std::size_t>(BatchOperation::Upgrade)] || m_total <= 0 ||
            m_upgradeSuccesses + m_upgradeFailures != m_total) {
            return;
        }
        m_busy[static_cast<std::size_t>(BatchOperation::Upgrade)] = false;
    }
    m_observer.OnBatchEnded(BatchOperation::Upgrade, true);
    ReleaseLeaseWhenIdle();
}

void BatchEngine::HandleProgress(const ProgressEvent& event) {
    DeviceEntry& entry = *event.entry;
    int upgrade = 0;
    int login = 0;
    {
        std::lock_guard lock(m_pageLock);
        if (entry.upgradeItem == 0) {
            return;
        }
        if (event.percent == -1 || event.percent == -2) {
            const bool success = event.percent == -1;
            ++(success ? m_upgradeSuccesses : m_upgradeFailures);
            login = entry.loginHandle;
            upgrade = EndUpgradeLocked(entry);
        }
    }
    if (event.percent >= 1) {
        Report(entry, ProgressReport(event.percent));
    } else if (event.percent == -1 || event.percent == -2) {
        m_sdk.closeUpgrade(upgrade);
        // After a success the device restarts and ends the session itself;
        // the logout then only frees the handle on this side.
        m_sdk.logout(login);
        Report(entry, SuccessOrFailure(event.percent == -1));
        m_observer.OnLoginState(entry.mac, false);
    }
    CheckUpgradeCompletion();
    ReleaseLeaseWhenIdle();
}

void BatchEngine::WatchdogTick() {
    std::vector<DeviceEntry*> silent;
    {
        std::lock_guard lock(m_pageLock);
        const bool watching =
            m_busy[static_cast<std::size_t>(BatchOperation::Upgrade)] || m_runningUpgrades > 0;
        if (!watching) {
            return;
        }
        for (DeviceEntry* entry : m_batchDevices) {
            // Two ticks without a progress call between them.
            if (entry->upgradeHandle > 0 && ++entry->stallCount > 1) {
                silent.push_back(entry);
            }
        }
    }
    for (DeviceEntry* entry : silent) {
        FailUpgrade(*entry);
    }
}

void BatchEngine::FailUpgrade(DeviceEntry& entry) {
    int upgrade = 0;
    {
        std::lock_guard lock(m_pageLock);
        if (entry.upgradeHandle == 0) {
            return;
        }
        ++m_upgradeFailures;
        upgrade = EndUpgradeLocked(entry);
    }
    m_sdk.closeUpgrade(upgrade);
    Report(entry, SuccessOrFailure(false));
    m_observer.OnLoginState(entry.mac, false);
    CheckUpgradeCompletion();
    ReleaseLeaseWhenIdle();
}

int BatchEngine::EndUpgradeLocked(DeviceEntry& entry) {
    const int upgrade = entry.upgradeHandle;
    entry.upgradeItem = 0;
    entry.loginHandle = 0;
    entry.loggedIn = 0;
    sdkwire::WipeAll(entry.loginPassword);
    entry.loginPassword.clear();
    entry.lastPercent = 0;
    entry.stallCount = 0;
    entry.upgradeHandle = 0;
    --m_runningUpgrades;
    return upgrade;
}

void BatchEngine::EventLoop() {
    int64_t nextTick = m_clock.NowMs() + m_watchdogMs;
    std::unique_lock lock(m_queueMutex);
    while (!m_stopping) {
        const int64_t wait = nextTick - m_clock.NowMs();
        if (m_queue.empty() && wait > 0) {
            m_clock.WaitFor(m_queueSignal, lock, wait);
        }
        while (!m_queue.empty()) {
            const ProgressEvent event = m_queue.front();
            m_queue.pop_front();
            lock.unlock();
            HandleProgress(event);
            lock.lock();
        }
        // One tick per period passed, even when the clock jumped several.
        if (!m_stopping && m_clock.NowMs() >= nextTick) {
            nextTick += m_watchdogMs;
            lock.unlock();
            WatchdogTick();
            lock.lock();
        }
    }
}
