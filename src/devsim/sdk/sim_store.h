#pragma once
// The SDK-side state of one simulated device, without sockets: users and
// their login failures, the configuration blocks 81/155/191, the firmware
// version, the configuration image, factory reset. Not thread-safe: the
// device guards it with its lock.
#include "devsim/sdk/sim_settings.h"
#include "sdk/byte_codec.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace devsim {

class SimStore {
public:
    explicit SimStore(const SimSdkSettings& factory);

    // Login check of one user (docs/device-protocol.md, section 6): the
    // password is handed over only to derive the key; counts failures.
    int CheckLogin(const std::string& user, bool proofMatches, std::chrono::steady_clock::time_point now);
    std::optional<std::string> PasswordOf(const std::string& user) const;
    void ClearLocks() { m_failures.clear(); }

    std::optional<sdkwire::Bytes> GetBlock(int command) const;
    // Request result codes; ports are checked, the model takes effect at once.
    int SetBlock(int command, const sdkwire::Bytes& block);
    sdkwire::Bytes UserTable() const;
    int ModifyUser(const sdkwire::Bytes& newRecord, const sdkwire::Bytes& oldRecord);

    sdkwire::Bytes ExportImage() const;
    int ImportImage(const sdkwire::Bytes& image);
    void RestoreFactory();

    // Brings back a saved state (the lab's state file).
    void Restore(const std::vector<SimUser>& users, uint16_t httpPort, uint16_t tcpPort, uint16_t rtspPort,
                 const std::string& model, const std::string& version);

    uint16_t HttpPort() const;
    uint16_t TcpPort() const;
    uint16_t RtspPort() const;
    std::string Model() const;
    const std::string& Version() const { return m_version; }
    void SetVersion(const std::string& version) { m_version = version; }
    const std::vector<SimUser>& Users() const { return m_users; }

private:
    struct Failures {
        int inARow = 0;
        std::chrono::steady_clock::time_point lockedUntil{};
    };
    SimSdkSettings m_factory;
    std::vector<SimUser> m_users;
    sdkwire::Bytes m_portBlock;
    sdkwire::Bytes m_rtspBlock;
    sdkwire::Bytes m_modelBlock;
    std::string m_version;
    std::map<std::string, Failures> m_failures;
};

} // namespace devsim
