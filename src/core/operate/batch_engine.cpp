#include "operate/batch_engine.h"

#include "operate/ordered_workers.h"
#include "sdk/session_crypto.h"
#include "sdk/transfer_slots.h"

#include <algorithm>
#include <chrono>

namespace {

std::size_t Index(BatchOperation operation) {
    return static_cast<std::size_t>(operation);
}

DeviceOperation OperationOf(const BatchRequest& request) {
    switch (request.operation) {
    case BatchOperation::Reboot:
        return DeviceOperation::Reboot;
    case BatchOperation::FactoryDefault:
        // A device that cannot keep its network settings is not reset at
        // all: a complete reset would move it out of reach.
        return request.keepNetwork ? DeviceOperation::SoftReset : DeviceOperation::FactoryDefault;
    case BatchOperation::Password:
        return DeviceOperation::Password;
    case BatchOperation::Port:
        return DeviceOperation::Ports;
    case BatchOperation::Upgrade:
        return DeviceOperation::Upgrade;
    case BatchOperation::ConfigImport:
        return DeviceOperation::ConfigImport;
    case BatchOperation::SetTime:
        return DeviceOperation::Time;
    }
    return DeviceOperation::Reboot;
}

// As many devices log in at once as transfers may run at once: enough to
// keep every transfer slot busy, few enough to leave the link to them.
int LoginWorkers() {
    return sdkclient::UpgradeTransferSlots().Capacity();
}

} // namespace

BatchEngine::BatchEngine(ILoginPrompt& prompt, IBatchObserver& observer, OperateContext& context,
                         int watchdogMs, Clock& clock)
    : m_prompt(prompt), m_observer(observer), m_context(context), m_sdk(context.native->Sdk()),
      m_upgrades(observer, context.logins, watchdogMs, m_sdk, clock,
                 [this] {
                     CheckUpgradeCompletion();
                     ReleaseLeaseWhenIdle();
                 }),
      m_linkUpgrades(
          observer, context.logins,
          [this](bool success) {
              m_upgrades.Count(success);
              CheckUpgradeCompletion();
          },
          [this] { ReleaseLeaseWhenIdle(); }) {}

BatchEngine::~BatchEngine() {
    // No further device of a running batch starts; the ones logging in
    // finish first.
    m_stopping = true;
    if (m_worker.joinable()) {
        m_worker.join();
    }
}

bool BatchEngine::Start(BatchRequest request) {
    {
        std::lock_guard lock(m_pageLock);
        const bool anyBusy = std::find(m_busy.begin(), m_busy.end(), true) != m_busy.end();
        if (anyBusy || request.devices.empty()) {
            return false;
        }
        m_busy[Index(request.operation)] = true;
        if (request.operation == BatchOperation::Upgrade) {
            m_upgrades.BeginBatch(static_cast<int>(request.devices.size()));
        }
        m_workerRunning = true;
        if (!m_lease) {
            m_lease = m_context.leases.Acquire();
        }
    }
    if (m_worker.joinable()) {
        if (m_worker.get_id() == std::this_thread::get_id()) {
            m_worker.detach(); // started from the previous batch's last callback
        } else {
            m_worker.join();
        }
    }
    m_worker = std::thread([this, request = std::move(request)]() mutable { RunBatch(std::move(request)); });
    return true;
}

bool BatchEngine::Busy() const {
    std::lock_guard lock(m_pageLock);
    return std::find(m_busy.begin(), m_busy.end(), true) != m_busy.end();
}

bool BatchEngine::Busy(BatchOperation operation) const {
    std::lock_guard lock(m_pageLock);
    return m_busy[Index(operation)];
}

bool BatchEngine::WaitIdle(int timeoutMs) const {
    std::unique_lock lock(m_pageLock);
    return m_idle.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] {
        return std::find(m_busy.begin(), m_busy.end(), true) == m_busy.end() && !m_upgrades.Running() &&
               !m_linkUpgrades.Running() && !m_workerRunning;
    });
}

void BatchEngine::SetBusy(BatchOperation operation, bool busy) {
    {
        std::lock_guard lock(m_pageLock);
        m_busy[Index(operation)] = busy;
    }
    ReleaseLeaseWhenIdle();
}

void BatchEngine::ReleaseLeaseWhenIdle() {
    std::unique_ptr<RecordLeases::Lease> lease;
    {
        std::lock_guard lock(m_pageLock);
        const bool anyBusy = std::find(m_busy.begin(), m_busy.end(), true) != m_busy.end();
        if (anyBusy || m_upgrades.Running() || m_linkUpgrades.Running() || m_workerRunning) {
            return;
        }
        lease = std::move(m_lease);
    }
    lease.reset();
    m_idle.notify_all();
}

void BatchEngine::Report(const DeviceEntry& entry, const DeviceReport& report) {
    m_observer.OnDeviceReport(entry, report);
}

void BatchEngine::LoggedOut(const DeviceEntry& entry) {
    // The device restarts and ends the session itself; the logout then only
    // frees the handle on this side.
    m_context.logins.End(DeviceKey(entry));
}

void BatchEngine::EndBatch(BatchOperation operation, bool completed) {
    m_observer.OnBatchEnded(operation, completed);
    SetBusy(operation, false);
}

bool BatchEngine::RunDevice(const BatchRequest& request, DeviceEntry& entry, BatchCredentials& credentials) {
    const BatchOperation operation = request.operation;
    if (!entry.operations.Has(OperationOf(request))) {
        entry.processed = 1;
        if (operation == BatchOperation::Upgrade) {
            CountUpgrade(false);
        }
        Report(entry, SuccessOr(false, failkey::kNotSupported));
        return true;
    }
    DeviceLink& link = m_context.links.LinkFor(entry);
    int error = 0;
    const int login = BatchLogin(entry, link, m_context.logins, credentials, m_prompt, error);
    if (login == -2) {
        Report(entry, DeviceReport{BatchOutcome::Cancelled, {}, 0, 0});
        return false;
    }
    entry.processed = 1;
    if (login == -1) {
        if (operation == BatchOperation::Upgrade) {
            CountUpgrade(false);
        }
        Report(entry, LoginFailedReport(error));
        return true;
    }
    if (const std::optional<DeviceLogin> kept = m_context.logins.Find(DeviceKey(entry))) {
        RunDeviceStep(request, entry, link, *kept);
    } else {
        // The login ended between the login and the step: still a line.
        if (operation == BatchOperation::Upgrade) {
            CountUpgrade(false);
        }
        Report(entry, SuccessOr(false, failkey::kRefused));
    }
    return true;
}

void BatchEngine::RunBatch(BatchRequest request) {
    BatchCredentials credentials;
    const BatchOperation operation = request.operation;
    const std::vector<DeviceEntry*>& devices = request.devices;
    // An upgrade's devices log in several at once, each starting its
    // transfer as soon as it is logged in; the other operations work on
    // one device after another, their lines in tree order.
    const bool parallel = operation == BatchOperation::Upgrade;
    const auto stopping = [this] { return m_stopping.load(); };
    // Until the batch's credentials are known (the first login that needs
    // them asks), one device after another, so that a cancelled prompt
    // stops the batch where it was asked.
    std::size_t next = 0;
    bool cancelled = false;
    for (; next < devices.size() && (credentials.ask || !parallel) && !stopping(); ++next) {
        if (!RunDevice(request, *devices[next], credentials)) {
            cancelled = true;
            break;
        }
    }
    if (!cancelled && next < devices.size()) {
        // The prompt has been answered: nothing below asks or writes the
        // credentials any more.
        RunInOrder(
            devices.size() - next, LoginWorkers(),
            [&](std::size_t index) { RunDevice(request, *devices[next + index], credentials); }, stopping);
    }
    // The batch's credentials and the passwords of a password change end
    // with it.
    for (std::string* secret : {&credentials.password, &request.oldPassword, &request.newPassword}) {
        sdkwire::WipeAll(*secret);
        secret->clear();
    }
    if (cancelled) {
        SetBusy(operation, false);
        m_observer.OnBatchEnded(operation, false);
    } else if (operation == BatchOperation::Upgrade) {
        CheckUpgradeCompletion();
    } else {
        if (operation == BatchOperation::Port || operation == BatchOperation::SetTime) {
            m_observer.OnRecordsChanged();
        }
        EndBatch(operation, true);
    }
    {
        std::lock_guard lock(m_pageLock);
        m_workerRunning = false;
    }
    ReleaseLeaseWhenIdle();
}

void BatchEngine::RunDeviceStep(const BatchRequest& request, DeviceEntry& entry, DeviceLink& link,
                                const DeviceLogin& login) {
    switch (request.operation) {
    case BatchOperation::Reboot: {
        const bool accepted = link.Reboot(login);
        if (accepted) {
            LoggedOut(entry);
        }
        Report(entry, SuccessOr(accepted, failkey::kRefused));
        break;
    }
    case BatchOperation::FactoryDefault: {
        // The device's answer decides the line: a refused reset is a failure.
        const bool accepted =
            request.keepNetwork ? link.FactoryDefaultKeepingNetwork(login) : link.FactoryDefault(login);
        if (accepted) {
            LoggedOut(entry);
        }
        Report(entry, SuccessOr(accepted, failkey::kRefused));
        break;
    }
    case BatchOperation::Password:
        Report(entry, PasswordReport(link.ChangePassword(login, request.oldPassword, request.newPassword)));
        break;
    case BatchOperation::Port: {
        const PortChangeResult result = link.ChangePorts(entry, login, request.ports);
        if (result.restarted) {
            LoggedOut(entry);
        }
        // Only a change the device took whole, and restarted with, succeeded.
        Report(entry, SuccessOr(result.written == 1 && result.restarted, failkey::kRefused));
        break;
    }
    case BatchOperation::ConfigImport: {
        const bool accepted = link.ImportConfig(login, request.path);
        if (accepted) {
            LoggedOut(entry);
        }
        Report(entry, SuccessOr(accepted, accepted ? std::string() : ImportFailureKey(request.path)));
        break;
    }
    case BatchOperation::SetTime:
        Report(entry, SuccessOr(link.SetTime(entry, login, request.time), failkey::kRefused));
        break;
    case BatchOperation::Upgrade:
        StartDeviceUpgrade(request, entry, link, login);
        break;
    }
}

void BatchEngine::StartDeviceUpgrade(const BatchRequest& request, DeviceEntry& entry, DeviceLink& link,
                                     const DeviceLogin& login) {
    if (link.UpgradesItself()) {
        m_linkUpgrades.Start(entry, link, login, request.path);
        return;
    }
    // A damaged file or one for another model is refused before anything
    // is sent, with its own line.
    const int fits = m_sdk.checkFirmware(login.handle, request.path.c_str());
    if (fits == -2 || fits == -3) {
        LoggedOut(entry); // as a failed upgrade ends
        CountUpgrade(false);
        Report(entry, SuccessOr(false, fits == -2 ? failkey::kNotFirmware : failkey::kWrongModel));
        return;
    }
    m_upgrades.Start(entry, login.handle, request.path);
}

void BatchEngine::CountUpgrade(bool success) {
    m_upgrades.Count(success);
}

void BatchEngine::CheckUpgradeCompletion() {
    {
        std::lock_guard lock(m_pageLock);
        // The busy flag is tested and cleared together, so the completion
        // is reported once even when two threads see the count complete.
        if (!m_busy[Index(BatchOperation::Upgrade)] || !m_upgrades.BatchComplete()) {
            return;
        }
        m_busy[Index(BatchOperation::Upgrade)] = false;
    }
    m_observer.OnBatchEnded(BatchOperation::Upgrade, true);
    ReleaseLeaseWhenIdle();
}
