#pragma once
// The firmware upgrades of the families that upgrade through their own
// service (DeviceLink::UpgradesItself), beside the native ones of the
// upgrade supervisor: each on a thread of its own, inside the process's
// transfer limit (the slots the native transfers take too), reporting the
// transfer's percent as the first half of the device's line, as native
// upgrades do, then the final line. Every upgrade ends through ended(success),
// where the batch engine counts it.
//
// Records and logins must stay valid while their upgrade runs (the batch
// engine's lease keeps them); the destructor cancels what runs and joins.
#include "discovery/device_entry.h"
#include "operate/batch_observer.h"
#include "operate/device_link.h"
#include "operate/login_table.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class LinkUpgrades {
public:
    LinkUpgrades(IBatchObserver& observer, LoginTable& logins, std::function<void(bool success)> ended,
                 std::function<void()> idle);
    ~LinkUpgrades();
    LinkUpgrades(const LinkUpgrades&) = delete;
    LinkUpgrades& operator=(const LinkUpgrades&) = delete;

    void Start(DeviceEntry& entry, DeviceLink& link, const DeviceLogin& login, const std::string& path);
    bool Running() const;

private:
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    void Run(DeviceEntry& entry, DeviceLink& link, const DeviceLogin& login, const std::string& path);
    void JoinFinished();

    IBatchObserver& m_observer;
    LoginTable& m_logins;
    const std::function<void(bool)> m_ended;
    const std::function<void()> m_idle;
    std::atomic<bool> m_cancelled{false};
    std::atomic<int> m_running{0};
    std::mutex m_workersMutex;
    std::vector<Worker> m_workers;
};
