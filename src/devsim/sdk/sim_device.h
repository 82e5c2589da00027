#pragma once
// One simulated device's SDK side: a TCP server on its address and TCP port
// with its own state (SimStore) for the life of the process. A restart takes
// it away for rebootMs (no TCP; Online() false so the discovery side stays
// silent too) and brings it back with what was changed (new ports, version).
#include "devsim/sdk/sim_settings.h"
#include "devsim/sdk/sim_store.h"
#include "sdk/tcp_link.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace devsim {

class SimSession;

// What the discovery side and the lab's state file need to see.
struct SimSdkSnapshot {
    bool online = false;
    uint16_t tcpPort = 0;  // the port the device listens on now
    uint16_t httpPort = 0; // the stored ports (shown by discovery replies)
    uint16_t storedTcpPort = 0;
    uint16_t rtspPort = 0;
    std::string model;
    std::string firmwareVersion;
    std::vector<SimAccount> users;
    std::optional<sdkwire::Salt> salt; // nothing: a state file without one
};

enum class RestartReason { Reboot = 1, FactoryDefault = 2, Upgrade = 3, NewAddress = 4 };

class SimSdkDevice {
public:
    explicit SimSdkDevice(SimSdkSettings settings);
    ~SimSdkDevice();
    SimSdkDevice(const SimSdkDevice&) = delete;
    SimSdkDevice& operator=(const SimSdkDevice&) = delete;

    // Takes a saved state (users, stored ports, model, version) before Start.
    void Restore(const SimSdkSnapshot& saved);
    // Listens on the settings' address and TCP port; false when it cannot.
    bool Start();
    void Stop();

    SimSdkSnapshot Snapshot() const;
    // The snapshot for the state file: keys of users whose password is not
    // the lab's are derived first (slow for an old state file's users).
    SimSdkSnapshot SnapshotForSaving();
    // Derives every user's key now rather than at the first login.
    void StoreKeys();
    // Whether the user's password is this one (derives its key: slow).
    bool PasswordIs(const std::string& user, const std::string& password);
    // The device was given another address (over UDP): its SDK side ends
    // its sessions and listens there at once.
    void MoveTo(const std::string& ip);
    bool Online() const { return m_online; }
    // Called (on a device thread) after every change of the snapshot.
    void SetChangeListener(std::function<void()> listener);
    void SetFaults(const SimSdkFaults& faults);
    SimSdkFaults Faults() const;
    const SimSdkSettings& Settings() const { return m_settings; }
    // Number of sessions logged in now.
    int SessionCount() const;
    // Preview pictures sent since the start, over every session.
    uint64_t PreviewPicturesSent() const { return m_picturesSent.load(); }
    void CountPreviewPicture() { ++m_picturesSent; }
    // The administrator check of a CFG.V3 request: the password against the
    // user's stored key (constant time), a failure counted towards the same
    // lock as a wrong login, a locked user refused. At most one check per
    // kConfigCheckSpacingMs; one sooner is refused unchecked and uncounted.
    static constexpr int64_t kConfigCheckSpacingMs = 200;
    bool CheckConfigPassword(const std::string& user, const std::string& password);

    // ---- used by the sessions ---------------------------------------
    template <typename Function> auto WithStore(Function function) {
        std::lock_guard lock(m_mutex);
        return function(m_store);
    }
    // Login decision for a session; reserves a session slot on success.
    int Admit(const std::string& user, bool proofMatches);
    void Release();
    // The device's salt and iterations for CHALLENGE.
    sdkwire::Salt DeviceSalt() const;
    uint32_t KeyIterations() const;
    // The user's key (derived on its first use); nothing for an unknown user.
    std::optional<sdkwire::Digest> KeyOf(const std::string& user);
    // Starts a restart after the current reply went out; the new firmware
    // version (when not empty) is reported after it.
    void Restart(RestartReason reason, const std::string& newVersion = {});
    bool TryBeginUpgrade();
    void EndUpgrade();
    // Tells the change listener; sessions call it after a stored change.
    void Notify();

private:
    void AcceptLoop();
    void RestartLoop(RestartReason reason, std::string newVersion);
    void CloseSessions();
    void WakeAcceptLoop();

    const SimSdkSettings m_settings;
    mutable std::mutex m_mutex;
    SimStore m_store;
    SimSdkFaults m_faults;
    std::function<void()> m_listener;
    int m_loggedIn = 0;
    std::atomic<uint64_t> m_picturesSent{0};
    bool m_upgrading = false;
    std::chrono::steady_clock::time_point m_lastConfigCheck{};
    bool m_restarting = false;
    uint16_t m_listeningPort = 0;
    std::string m_ip;

    std::atomic<bool> m_online{false};
    std::atomic<bool> m_stopping{false};
    std::unique_ptr<sdknet::TcpListener> m_listener_socket;
    std::thread m_acceptThread;
    std::thread m_restartThread;
    std::condition_variable m_stopSignal;
    std::vector<std::shared_ptr<SimSession>> m_sessions;
};

} // namespace devsim
