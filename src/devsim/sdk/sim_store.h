#pragma once
// The SDK-side state of one simulated device, without sockets: users and
// their login failures, the configuration blocks 81/155/191, the firmware
// version, the configuration image, factory reset. Not thread-safe: the
// device guards it with its lock.
#include "devsim/sdk/sim_settings.h"
#include "sdk/byte_codec.h"
#include "sdk/wire_messages.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace devsim {

class SimStore {
public:
    explicit SimStore(const SimSdkSettings& factory);

    // Login check of one user (docs/device-protocol.md, section 6); counts
    // failures.
    int CheckLogin(const std::string& user, bool proofMatches, std::chrono::steady_clock::time_point now);
    // The user's key, derived now when it is the first use; nothing for an
    // unknown user.
    std::optional<sdkwire::Digest> KeyOf(const std::string& user);
    // Derives the candidate's key and compares in constant time.
    bool PasswordMatches(const std::string& user, const std::string& password);
    static bool IsAdministrator(const std::string& user) { return user == "admin"; }
    const sdkwire::Salt& DeviceSalt() const { return m_salt; }
    uint32_t KeyIterations() const { return m_iterations; }
    void ClearLocks() { m_failures.clear(); }

    std::optional<sdkwire::Bytes> GetBlock(int command) const;
    // Request result codes; ports are checked, the model takes effect at once.
    int SetBlock(int command, const sdkwire::Bytes& block);
    // The user table as sessionUser may see it: every record for an
    // administrator, only the user's own otherwise; passwords always zero.
    sdkwire::Bytes UserTable(const std::string& sessionUser) const;
    // A password change (operation 6) asked for by sessionUser.
    int ModifyUser(const std::string& sessionUser, const sdkwire::Bytes& newRecord,
                   const sdkwire::Bytes& oldRecord);
    // MODIFY_USER of version 3: the proof of the named user's stored key
    // over the session's transcript hash and the new key; the new key is
    // stored (the device never learns the password).
    int ModifyUserKey(const std::string& sessionUser, const sdkwire::ModifyUserKey& change,
                      const sdkwire::Digest& transcriptHash);

    sdkwire::Bytes ExportImage() const;
    int ImportImage(const sdkwire::Bytes& image);
    void RestoreFactory();

    // Brings back a saved state (the lab's state file). Accounts marked as
    // having the lab's password take it from the factory users; a salt of
    // nothing keeps the device's own.
    void Restore(const std::vector<SimAccount>& accounts, const std::optional<sdkwire::Salt>& salt,
                 uint16_t httpPort, uint16_t tcpPort, uint16_t rtspPort, const std::string& model,
                 const std::string& version);
    // Derives the keys not known yet of accounts whose password is not the
    // lab's (accounts of an old state file), so they can be saved.
    void DeriveKeysForSaving();
    // Every user's key, derived now: a device stores them when a password is
    // set, so that a login costs it no key derivation.
    void DeriveAllKeys();

    uint16_t HttpPort() const;
    uint16_t TcpPort() const;
    uint16_t RtspPort() const;
    std::string Model() const;
    const std::string& Version() const { return m_version; }
    void SetVersion(const std::string& version) { m_version = version; }
    const std::vector<SimAccount>& Accounts() const { return m_accounts; }

private:
    struct Failures {
        int inARow = 0;
        std::chrono::steady_clock::time_point lockedUntil{};
    };
    SimSdkSettings m_factory;
    SimAccount* Find(const std::string& user);
    std::vector<SimAccount> m_accounts;
    sdkwire::Salt m_salt{};
    uint32_t m_iterations = sdkwire::kDefaultKeyIterations;
    sdkwire::Bytes m_portBlock;
    sdkwire::Bytes m_rtspBlock;
    sdkwire::Bytes m_modelBlock;
    std::string m_version;
    std::map<std::string, Failures> m_failures;
};

} // namespace devsim
