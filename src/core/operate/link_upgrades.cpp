#include "operate/link_upgrades.h"

#include "operate/batch_report.h"
#include "sdk/transfer_slots.h"

#include <algorithm>

namespace {

// How often a device that waits for a transfer slot is told to stay patient.
constexpr int kSlotWaitMs = 1000;

} // namespace

LinkUpgrades::LinkUpgrades(IBatchObserver& observer, LoginTable& logins, std::function<void(bool)> ended,
                           std::function<void()> idle)
    : m_observer(observer), m_logins(logins), m_ended(std::move(ended)), m_idle(std::move(idle)) {}

LinkUpgrades::~LinkUpgrades() {
    m_cancelled = true;
    sdkclient::UpgradeTransferSlots().WakeAll();
    std::lock_guard lock(m_workersMutex);
    for (Worker& worker : m_workers) {
        worker.thread.join();
    }
}

bool LinkUpgrades::Running() const {
    return m_running.load() > 0;
}

void LinkUpgrades::JoinFinished() {
    std::erase_if(m_workers, [](Worker& worker) {
        if (!worker.done->load()) {
            return false;
        }
        worker.thread.join();
        return true;
    });
}

void LinkUpgrades::Start(DeviceEntry& entry, DeviceLink& link, const DeviceLogin& login,
                         const std::string& path) {
    std::lock_guard lock(m_workersMutex);
    JoinFinished();
    ++m_running;
    auto done = std::make_shared<std::atomic<bool>>(false);
    m_workers.push_back(Worker{std::thread([this, &entry, &link, login, path, done] {
                                   Run(entry, link, login, path);
                                   done->store(true);
                               }),
                               done});
}

void LinkUpgrades::Run(DeviceEntry& entry, DeviceLink& link, const DeviceLogin& login,
                       const std::string& path) {
    const auto cancelled = [this] { return m_cancelled.load(); };
    bool success = false;
    std::string failKey = failkey::kRefused;
    sdkclient::TransferSlots& slots = sdkclient::UpgradeTransferSlots();
    if (slots.Acquire(
            cancelled, [] {}, kSlotWaitMs)) {
        int shown = 0;
        bool holding = true;
        // The transfer is the first half of the line, the device's own
        // work (restart, verification) the second. The slot is the
        // transfer's: with the whole image sent, the next device's transfer
        // starts while this one restarts.
        const auto progress = [&](int percent) {
            const int half = std::clamp(percent, 0, 100) / 2;
            if (half > shown) {
                shown = half;
                m_observer.OnDeviceReport(entry, ProgressReport(half));
            }
            if (percent >= 100 && holding) {
                holding = false;
                slots.Release();
            }
        };
        success = link.Upgrade(entry, login, path, progress, cancelled, failKey);
        if (holding) {
            slots.Release();
        }
    }
    // The device restarted (or gave up): its login ends on this side.
    m_logins.End(DeviceKey(entry));
    m_observer.OnDeviceReport(entry, success ? SuccessOrFailure(true) : SuccessOr(false, failKey));
    m_ended(success);
    --m_running;
    m_idle();
}
