#include "devsim/sdk/sim_device.h"

#include "devsim/sdk/sim_session.h"
#include "sdk/wire_messages.h"

#include <chrono>

namespace devsim {

using namespace sdkwire;

SimSdkDevice::SimSdkDevice(SimSdkSettings settings)
    : m_settings(std::move(settings)), m_store(m_settings), m_faults(m_settings.faults), m_ip(m_settings.ip) {
}

SimSdkDevice::~SimSdkDevice() {
    Stop();
}

void SimSdkDevice::Restore(const SimSdkSnapshot& saved) {
    std::lock_guard lock(m_mutex);
    m_store.Restore(saved.users, saved.salt, saved.httpPort, saved.storedTcpPort, saved.rtspPort, saved.model,
                    saved.firmwareVersion);
}

bool SimSdkDevice::Start() {
    std::string ip;
    {
        std::lock_guard lock(m_mutex);
        ip = m_ip;
    }
    auto listener = sdknet::TcpListener::Listen(ip, m_store.TcpPort());
    if (!listener) {
        return false;
    }
    {
        std::lock_guard lock(m_mutex);
        m_listener_socket = std::move(listener);
        m_listeningPort = m_store.TcpPort();
    }
    m_online = true;
    m_acceptThread = std::thread([this] { AcceptLoop(); });
    Notify();
    return true;
}

void SimSdkDevice::Stop() {
    std::thread restart;
    {
        // Under the lock, so a restart waiting for its time sees it at once.
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        restart.swap(m_restartThread);
    }
    m_online = false;
    m_stopSignal.notify_all();
    if (restart.joinable()) {
        restart.join();
    }
    WakeAcceptLoop();
    if (m_acceptThread.joinable()) {
        m_acceptThread.join();
    }
    CloseSessions();
}

void SimSdkDevice::AcceptLoop() {
    // Runs while the device is up; a restart ends it and starts a new one.
    while (m_online && !m_stopping) {
        // Long waits are cheap with many devices; a stop shuts the socket down,
        // which ends the wait at once.
        auto link = m_listener_socket->Accept(1000);
        std::lock_guard lock(m_mutex);
        std::erase_if(m_sessions, [](const auto& session) { return session->Finished(); });
        // Connections that never log in are bounded too: past the limit a
        // new connection is closed at once (the client sees no answer).
        const std::size_t connectionLimit = static_cast<std::size_t>(m_settings.maxSessions) + 8;
        if (link && m_online && m_sessions.size() < connectionLimit) {
            auto session = std::make_shared<SimSession>(*this, std::move(link));
            session->Start();
            m_sessions.push_back(std::move(session));
        }
    }
}

void SimSdkDevice::WakeAcceptLoop() {
    std::lock_guard lock(m_mutex);
    if (m_listener_socket) {
        m_listener_socket->Shutdown();
    }
}

void SimSdkDevice::CloseSessions() {
    std::vector<std::shared_ptr<SimSession>> sessions;
    {
        std::lock_guard lock(m_mutex);
        sessions.swap(m_sessions);
    }
    for (auto& session : sessions) {
        session->Close();
    }
    for (auto& session : sessions) {
        session->Join();
    }
}

void SimSdkDevice::Restart(RestartReason reason, const std::string& newVersion) {
    std::lock_guard lock(m_mutex);
    if (m_restarting || m_stopping) {
        return;
    }
    m_restarting = true;
    // Offline from this moment, not from when the restart thread runs: a
    // client that waits for the device to come back must not see it still
    // online just before it goes.
    m_online = false;
    if (m_restartThread.joinable()) {
        m_restartThread.join(); // the previous restart has long finished
    }
    m_restartThread = std::thread([this, reason, newVersion] { RestartLoop(reason, newVersion); });
}

void SimSdkDevice::MoveTo(const std::string& ip) {
    {
        std::lock_guard lock(m_mutex);
        if (ip == m_ip) {
            return;
        }
        m_ip = ip;
    }
    Restart(RestartReason::NewAddress);
}

void SimSdkDevice::RestartLoop(RestartReason reason, std::string newVersion) {
    const int awayMs = reason == RestartReason::NewAddress ? 0 : m_settings.rebootMs;
    m_online = false;
    Notify();
    WakeAcceptLoop();
    if (m_acceptThread.joinable()) {
        m_acceptThread.join();
    }
    CloseSessions();
    {
        std::unique_lock lock(m_mutex);
        m_listener_socket.reset();
        m_stopSignal.wait_for(lock, std::chrono::milliseconds(awayMs), [this] { return m_stopping.load(); });
        if (m_stopping) {
            m_restarting = false;
            return;
        }
        if (!newVersion.empty()) {
            m_store.SetVersion(newVersion);
        }
        m_store.ClearLocks();
        m_listener_socket = sdknet::TcpListener::Listen(m_ip, m_store.TcpPort());
        m_listeningPort = m_listener_socket ? m_store.TcpPort() : 0;
        m_loggedIn = 0;
        m_upgrading = false;
        m_restarting = false;
    }
    if (m_listeningPort != 0) {
        m_online = true;
        m_acceptThread = std::thread([this] { AcceptLoop(); });
    }
    Notify();
}

SimSdkSnapshot SimSdkDevice::Snapshot() const {
    std::lock_guard lock(m_mutex);
    SimSdkSnapshot snapshot;
    snapshot.online = m_online;
    snapshot.tcpPort = m_listeningPort;
    snapshot.httpPort = m_store.HttpPort();
    snapshot.storedTcpPort = m_store.TcpPort();
    snapshot.rtspPort = m_store.RtspPort();
    snapshot.model = m_store.Model();
    snapshot.firmwareVersion = m_store.Version();
    snapshot.users = m_store.Accounts();
    snapshot.salt = m_store.DeviceSalt();
    return snapshot;
}

SimSdkSnapshot SimSdkDevice::SnapshotForSaving() {
    {
        std::lock_guard lock(m_mutex);
        m_store.DeriveKeysForSaving();
    }
    return Snapshot();
}

void SimSdkDevice::StoreKeys() {
    std::lock_guard lock(m_mutex);
    m_store.DeriveAllKeys();
}

bool SimSdkDevice::PasswordIs(const std::string& user, const std::string& password) {
    std::lock_guard lock(m_mutex);
    return m_store.PasswordMatches(user, password);
}

void SimSdkDevice::SetChangeListener(std::function<void()> listener) {
    std::lock_guard lock(m_mutex);
    m_listener = std::move(listener);
}

void SimSdkDevice::Notify() {
    std::function<void()> listener;
    {
        std::lock_guard lock(m_mutex);
        listener = m_listener;
    }
    if (listener) {
        listener();
    }
}

void SimSdkDevice::SetFaults(const SimSdkFaults& faults) {
    std::lock_guard lock(m_mutex);
    m_faults = faults;
}

SimSdkFaults SimSdkDevice::Faults() const {
    std::lock_guard lock(m_mutex);
    return m_faults;
}

int SimSdkDevice::SessionCount() const {
    std::lock_guard lock(m_mutex);
    return m_loggedIn;
}

Salt SimSdkDevice::DeviceSalt() const {
    std::lock_guard lock(m_mutex);
    return m_store.DeviceSalt();
}

uint32_t SimSdkDevice::KeyIterations() const {
    std::lock_guard lock(m_mutex);
    return m_store.KeyIterations();
}

std::optional<Digest> SimSdkDevice::KeyOf(const std::string& user) {
    std::lock_guard lock(m_mutex);
    return m_store.KeyOf(user);
}

int SimSdkDevice::Admit(const std::string& user, bool proofMatches) {
    std::lock_guard lock(m_mutex);
    if (m_faults.refuseLoginCode != 0) {
        return m_faults.refuseLoginCode;
    }
    if (m_restarting || m_upgrading) {
        return kLoginBusy;
    }
    const int code = m_store.CheckLogin(user, proofMatches, std::chrono::steady_clock::now());
    if (code != kLoginOk) {
        return code;
    }
    if (m_loggedIn >= m_settings.maxSessions) {
        return kLoginConnectionFull;
    }
    ++m_loggedIn;
    return kLoginOk;
}

bool SimSdkDevice::CheckConfigPassword(const std::string& user, const std::string& password) {
    std::lock_guard lock(m_mutex);
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastConfigCheck < std::chrono::milliseconds(kConfigCheckSpacingMs)) {
        return false;
    }
    const bool matches = m_store.PasswordMatches(user, password);
    const bool admitted = m_store.CheckLogin(user, matches, now) == kLoginOk;
    m_lastConfigCheck = std::chrono::steady_clock::now(); // spaced from the check's end
    return admitted;
}

void SimSdkDevice::Release() {
    std::lock_guard lock(m_mutex);
    if (m_loggedIn > 0) {
        --m_loggedIn;
    }
}

bool SimSdkDevice::TryBeginUpgrade() {
    std::lock_guard lock(m_mutex);
    if (m_upgrading || m_restarting) {
        return false;
    }
    m_upgrading = true;
    return true;
}

void SimSdkDevice::EndUpgrade() {
    std::lock_guard lock(m_mutex);
    m_upgrading = false;
}

} // namespace devsim
