#include "operate/upgrade_supervisor.h"

#include "operate/batch_report.h"

#include <algorithm>

UpgradeSupervisor::UpgradeSupervisor(IBatchObserver& observer, LoginTable& logins, int watchdogMs,
                                     const SdkCalls& sdk, Clock& clock, std::function<void()> onEvent)
    : m_observer(observer), m_logins(logins), m_watchdogMs(watchdogMs), m_sdk(sdk), m_clock(clock),
      m_onEvent(std::move(onEvent)) {
    m_eventThread = std::thread([this] { EventLoop(); });
}

UpgradeSupervisor::~UpgradeSupervisor() {
    {
        std::lock_guard lock(m_queueMutex);
        m_stopping = true;
    }
    m_queueSignal.notify_all();
    m_eventThread.join();
    std::vector<int> handles;
    {
        std::lock_guard lock(m_lock);
        for (const DeviceUpgrade& upgrade : m_upgrades) {
            handles.push_back(upgrade.upgradeHandle);
        }
        m_upgrades.clear();
    }
    for (const int handle : handles) {
        m_sdk.closeUpgrade(handle);
    }
    m_contexts.clear();
}

void UpgradeSupervisor::ReleaseContext(Context* context) {
    std::lock_guard lock(m_lock);
    std::erase_if(m_contexts,
                  [context](const std::unique_ptr<Context>& kept) { return kept.get() == context; });
}

void UpgradeSupervisor::BeginBatch(int devices) {
    std::lock_guard lock(m_lock);
    m_total = devices;
    m_successes = 0;
    m_failures = 0;
}

void UpgradeSupervisor::Count(bool success) {
    std::lock_guard lock(m_lock);
    ++(success ? m_successes : m_failures);
}

bool UpgradeSupervisor::BatchComplete() const {
    std::lock_guard lock(m_lock);
    return m_total > 0 && m_successes + m_failures == m_total;
}

bool UpgradeSupervisor::Running() const {
    std::lock_guard lock(m_lock);
    return !m_upgrades.empty();
}

std::size_t UpgradeSupervisor::ContextsHeld() const {
    std::lock_guard lock(m_lock);
    return m_contexts.size();
}

std::vector<UpgradeSupervisor::DeviceUpgrade>::iterator
UpgradeSupervisor::FindLocked(const DeviceEntry& entry) {
    return std::find_if(m_upgrades.begin(), m_upgrades.end(),
                        [&entry](const DeviceUpgrade& upgrade) { return upgrade.entry == &entry; });
}

void UpgradeSupervisor::Start(DeviceEntry& entry, int loginHandle, const std::string& path) {
    Context* context = nullptr;
    {
        std::lock_guard lock(m_lock);
        m_contexts.push_back(std::make_unique<Context>(Context{this, &entry}));
        context = m_contexts.back().get();
    }
    const int handle = m_sdk.openUpgrade(loginHandle, path.c_str(), ProgressCallback, context, 0);
    if (handle == 0) {
        ReleaseContext(context);
        Count(false);
        m_observer.OnDeviceReport(entry, SuccessOr(false, UpgradeFailureKey(path, entry.model)));
        return;
    }
    // Stored before the start, so that an early final state is not lost.
    {
        std::lock_guard lock(m_lock);
        const DeviceUpgrade started{&entry, context, handle, 0, 0, path};
        const auto upgrade = FindLocked(entry);
        if (upgrade == m_upgrades.end()) {
            m_upgrades.push_back(started);
        } else {
            *upgrade = started;
        }
    }
    if (m_sdk.startUpgrade(handle) != 0) {
        return; // progress and the result arrive through the callback
    }
    {
        std::lock_guard lock(m_lock);
        const auto upgrade = FindLocked(entry);
        if (upgrade == m_upgrades.end()) {
            return; // the watchdog has failed it meanwhile
        }
        m_upgrades.erase(upgrade);
        ++m_failures;
    }
    m_sdk.closeUpgrade(handle);
    ReleaseContext(context);
    m_observer.OnDeviceReport(entry, SuccessOr(false, failkey::kRefused));
}

void UpgradeSupervisor::ProgressCallback(int, int, int total, int value, void* context) {
    auto* upgrade = static_cast<Context*>(context);
    upgrade->supervisor->OnProgress(*upgrade->entry, total, value);
}

void UpgradeSupervisor::OnProgress(DeviceEntry& entry, int total, int value) {
    int percent = 0;
    if (total == 0) {
        percent = value; // the final states -1 and -2
    } else if (total == -1) {
        percent = std::min(value / 2 + 50, 100);
    } else {
        percent = static_cast<int>(static_cast<double>(value) / total * 50.0);
    }
    {
        std::lock_guard lock(m_lock);
        const auto upgrade = FindLocked(entry);
        if (upgrade == m_upgrades.end()) {
            return; // the upgrade has ended
        }
        upgrade->stallCount = 0;
        if (percent == upgrade->lastPercent) {
            return;
        }
        upgrade->lastPercent = percent;
    }
    {
        std::lock_guard lock(m_queueMutex);
        m_queue.push_back({&entry, percent});
    }
    m_queueSignal.notify_all();
}

void UpgradeSupervisor::HandleProgress(const ProgressEvent& event) {
    DeviceEntry& entry = *event.entry;
    const bool ended = event.percent == -1 || event.percent == -2;
    std::pair<int, Context*> ending{0, nullptr};
    std::string path;
    {
        std::lock_guard lock(m_lock);
        const auto upgrade = FindLocked(entry);
        if (upgrade == m_upgrades.end()) {
            return; // ended meanwhile, by an earlier event or the watchdog
        }
        if (ended) {
            ++(event.percent == -1 ? m_successes : m_failures);
            path = upgrade->path;
            ending = EndUpgradeLocked(upgrade);
        }
    }
    if (event.percent >= 1) {
        m_observer.OnDeviceReport(entry, ProgressReport(event.percent));
    } else if (ended) {
        m_sdk.closeUpgrade(ending.first);
        ReleaseContext(ending.second);
        // After a success the device restarts and ends the session itself;
        // the logout then only frees the handle on this side.
        m_logins.End(DeviceKey(entry));
        m_observer.OnDeviceReport(entry, event.percent == -1
                                             ? SuccessOrFailure(true)
                                             : SuccessOr(false, UpgradeFailureKey(path, entry.model)));
    }
    m_onEvent();
}

void UpgradeSupervisor::WatchdogTick() {
    std::vector<DeviceEntry*> silent;
    {
        std::lock_guard lock(m_lock);
        for (DeviceUpgrade& upgrade : m_upgrades) {
            // Two ticks without a progress call between them.
            if (upgrade.upgradeHandle > 0 && ++upgrade.stallCount > 1) {
                silent.push_back(upgrade.entry);
            }
        }
    }
    for (DeviceEntry* entry : silent) {
        FailUpgrade(*entry);
    }
}

void UpgradeSupervisor::FailUpgrade(DeviceEntry& entry) {
    std::pair<int, Context*> ending{0, nullptr};
    {
        std::lock_guard lock(m_lock);
        const auto upgrade = FindLocked(entry);
        if (upgrade == m_upgrades.end()) {
            return;
        }
        ++m_failures;
        ending = EndUpgradeLocked(upgrade);
    }
    m_sdk.closeUpgrade(ending.first);
    ReleaseContext(ending.second);
    // A silent device may hang: its login is dropped without a logout.
    m_logins.End(DeviceKey(entry), false);
    m_observer.OnDeviceReport(entry, SuccessOr(false, failkey::kTimeout));
    m_onEvent();
}

std::pair<int, UpgradeSupervisor::Context*>
UpgradeSupervisor::EndUpgradeLocked(std::vector<DeviceUpgrade>::iterator upgrade) {
    const std::pair ending{upgrade->upgradeHandle, upgrade->context};
    m_upgrades.erase(upgrade);
    return ending;
}

void UpgradeSupervisor::EventLoop() {
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
