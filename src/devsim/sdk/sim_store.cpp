#include "devsim/sdk/sim_store.h"

#include "sdk/sdk_layout.h"
#include "sdk/wire_messages.h"

#include <algorithm>
#include <cstring>

namespace devsim {

using namespace sdkwire;
using namespace sdklayout;

namespace {

constexpr int kLockAfterFailures = 5;

std::string FieldText(const Bytes& record, std::size_t offset, std::size_t size) {
    const auto begin = record.begin() + static_cast<std::ptrdiff_t>(offset);
    const auto end = std::find(begin, begin + static_cast<std::ptrdiff_t>(size), 0);
    return std::string(begin, end);
}

// A record's text field that must end inside the field.
std::optional<std::string> TerminatedText(const Bytes& record, std::size_t offset, std::size_t size) {
    const auto begin = record.begin() + static_cast<std::ptrdiff_t>(offset);
    const auto end = std::find(begin, begin + static_cast<std::ptrdiff_t>(size), 0);
    if (end == begin + static_cast<std::ptrdiff_t>(size)) {
        return std::nullopt;
    }
    return std::string(begin, end);
}

std::vector<SimAccount> LabAccounts(const std::vector<SimUser>& users) {
    std::vector<SimAccount> accounts;
    for (const SimUser& user : users) {
        accounts.push_back({user.name, user.password, std::nullopt, true});
    }
    return accounts;
}

void PutText(uint8_t* at, const std::string& text, std::size_t size) {
    std::memset(at, 0, size);
    std::memcpy(at, text.data(), std::min(text.size(), size - 1));
}

bool ValidPort(uint32_t port) {
    return port >= 1 && port <= 0xFFFF;
}

} // namespace

SimStore::SimStore(const SimSdkSettings& factory) : m_factory(factory), m_iterations(factory.keyIterations) {
    // The device's salt for its lifetime; a factory reset keeps it.
    if (!RandomFill(m_salt)) {
        // Still one salt per device when the generator fails.
        const std::string identity = factory.name + "|" + factory.ip + "|" + std::to_string(factory.tcpPort);
        const Digest digest =
            Sha256(std::span(reinterpret_cast<const uint8_t*>(identity.data()), identity.size()));
        std::copy_n(digest.begin(), m_salt.size(), m_salt.begin());
    }
    RestoreFactory();
}

void SimStore::RestoreFactory() {
    m_accounts = LabAccounts(m_factory.users);
    m_portBlock.assign(kPortBlockSize, 0);
    // Bytes of the device's own around the documented fields, so tests can
    // see that a client keeps them.
    for (std::size_t i = 0; i < kPortBlockSize; ++i) {
        m_portBlock[i] = static_cast<uint8_t>(i * 7 + 3);
    }
    StoreU32(m_portBlock.data() + kHttpPortOffset, m_factory.httpPort);
    StoreU32(m_portBlock.data() + kTcpPortOffset, m_factory.tcpPort);
    m_rtspBlock.assign(kRtspBlockSize, 0x5A);
    StoreU16(m_rtspBlock.data() + kRtspPortOffset, m_factory.rtspPort);
    m_modelBlock.assign(kModelBlockSize, 0);
    StoreU32(m_modelBlock.data() + kModelFlagsOffset, kModelValidFlag);
    PutText(m_modelBlock.data() + kModelTextOffset, m_factory.model, kModelBlockSize - kModelTextOffset);
    m_version = m_factory.firmwareVersion;
    m_failures.clear();
}

int SimStore::CheckLogin(const std::string& user, bool proofMatches,
                         std::chrono::steady_clock::time_point now) {
    if (Find(user) == nullptr) {
        return kLoginUnknownUser;
    }
    Failures& failures = m_failures[user];
    if (failures.inARow >= kLockAfterFailures) {
        if (now < failures.lockedUntil) {
            return kLoginLocked;
        }
        failures = {};
    }
    if (!proofMatches) {
        if (++failures.inARow >= kLockAfterFailures) {
            failures.lockedUntil = now + std::chrono::milliseconds(m_factory.lockMs);
        }
        return kLoginWrongPassword;
    }
    failures = {};
    return kLoginOk;
}

SimAccount* SimStore::Find(const std::string& user) {
    for (auto& account : m_accounts) {
        if (account.name == user) {
            return &account;
        }
    }
    return nullptr;
}

std::optional<Digest> SimStore::KeyOf(const std::string& user) {
    SimAccount* account = Find(user);
    if (account == nullptr) {
        return std::nullopt;
    }
    if (!account->key && account->password) {
        account->key = UserKey(user, *account->password, m_salt, m_iterations);
    }
    return account->key;
}

bool SimStore::PasswordMatches(const std::string& user, const std::string& password) {
    const auto key = KeyOf(user);
    if (!key) {
        return false;
    }
    Digest candidate = UserKey(user, password, m_salt, m_iterations);
    const bool same = SameDigest(candidate, *key);
    WipeAll(candidate);
    return same;
}

std::optional<Bytes> SimStore::GetBlock(int command) const {
    switch (command) {
    case kPortCommand:
        return m_portBlock;
    case kRtspCommand:
        return m_rtspBlock;
    case kModelCommand:
        return m_modelBlock;
    default:
        return std::nullopt;
    }
}

int SimStore::SetBlock(int command, const Bytes& block) {
    switch (command) {
    case kPortCommand: {
        if (block.size() != kPortBlockSize) {
            return kResultBadArgument;
        }
        const uint32_t http = LoadU32(block.data() + kHttpPortOffset);
        const uint32_t tcp = LoadU32(block.data() + kTcpPortOffset);
        if (!ValidPort(http) || !ValidPort(tcp) || http == tcp) {
            return kResultBadArgument;
        }
        m_portBlock = block;
        return kResultDone;
    }
    case kRtspCommand:
        if (block.size() != kRtspBlockSize || !ValidPort(LoadU16(block.data() + kRtspPortOffset))) {
            return kResultBadArgument;
        }
        m_rtspBlock = block;
        return kResultDone;
    case kModelCommand:
        if (block.size() != kModelBlockSize) {
            return kResultBadArgument;
        }
        m_modelBlock = block;
        m_modelBlock.back() = 0; // the text always ends inside the block
        return kResultDone;
    default:
        return kResultUnknown;
    }
}

Bytes SimStore::UserTable(const std::string& sessionUser) const {
    Bytes table(kUserTableSize, 0);
    const bool everyone = IsAdministrator(sessionUser);
    for (std::size_t i = 0; i < m_accounts.size() && i < kUserCount; ++i) {
        if (!everyone && m_accounts[i].name != sessionUser) {
            continue;
        }
        uint8_t* record = table.data() + kFirstUserOffset + i * kUserRecordSize;
        StoreU32(record, static_cast<uint32_t>(i + 1)); // the device's own user number
        PutText(record + kUserNameOffset, m_accounts[i].name, kUserNameSize);
        // The password field stays zero: the device does not know passwords.
    }
    return table;
}

int SimStore::ModifyUser(const std::string& sessionUser, const Bytes& newRecord, const Bytes& oldRecord) {
    if (newRecord.size() != kUserRecordSize || oldRecord.size() != kUserRecordSize) {
        return kResultBadArgument;
    }
    const auto name = TerminatedText(oldRecord, kUserNameOffset, kUserNameSize);
    const auto oldPassword = TerminatedText(oldRecord, kUserPasswordOffset, kUserPasswordSize);
    auto newPassword = TerminatedText(newRecord, kUserPasswordOffset, kUserPasswordSize);
    // Every other byte of the new record is ignored: the device keeps its own.
    if (!name || !oldPassword || !newPassword ||
        FieldText(newRecord, kUserNameOffset, kUserNameSize) != *name ||
        (*name != sessionUser && !IsAdministrator(sessionUser))) {
        return kResultBadArgument;
    }
    SimAccount* account = Find(*name);
    if (account == nullptr) {
        return kResultNoSuchUser;
    }
    if (!PasswordMatches(*name, *oldPassword)) {
        return kResultWrongPassword;
    }
    account->key = UserKey(*name, *newPassword, m_salt, m_iterations);
    account->password = std::move(*newPassword);
    account->labPassword = false;
    m_failures.erase(*name);
    return kResultDone;
}

int SimStore::ModifyUserKey(const std::string& sessionUser, const sdkwire::ModifyUserKey& change,
                            const Digest& transcriptHash) {
    // The checks of version 2, in the same order.
    if (change.operation != kModifyUserPassword || change.user.empty() ||
        (change.user != sessionUser && !IsAdministrator(sessionUser))) {
        return kResultBadArgument;
    }
    SimAccount* account = Find(change.user);
    if (account == nullptr) {
        return kResultNoSuchUser;
    }
    const auto key = KeyOf(change.user);
    if (!key || !SameDigest(change.oldProof, ModifyProof(*key, transcriptHash, change.user, change.newKey))) {
        return kResultWrongPassword;
    }
    account->key = change.newKey;
    account->password.reset();
    account->labPassword = false;
    m_failures.erase(change.user);
    return kResultDone;
}

Bytes SimStore::ExportImage() const {
    ByteWriter out;
    for (const int command : {kPortCommand, kRtspCommand, kModelCommand}) {
        const Bytes block = *GetBlock(command);
        out.U32(static_cast<uint32_t>(command));
        out.Blob(block);
    }
    return out.Take();
}

int SimStore::ImportImage(const Bytes& image) {
    // Checked whole before anything is applied, so a bad image changes nothing.
    SimStore trial = *this;
    ByteReader in(image);
    while (in.Ok() && in.Remaining() > 0) {
        const int command = static_cast<int>(in.U32());
        const Bytes block = in.Blob(kMaxConfigImage);
        if (!in.Ok()) {
            break;
        }
        const int result = trial.SetBlock(command, block);
        if (result != kResultDone) {
            return result == kResultUnknown ? kResultBadArgument : result;
        }
    }
    if (!in.AtEnd()) {
        return kResultBadArgument;
    }
    *this = std::move(trial);
    return kResultDone;
}

void SimStore::Restore(const std::vector<SimAccount>& accounts, const std::optional<Salt>& salt,
                       uint16_t httpPort, uint16_t tcpPort, uint16_t rtspPort, const std::string& model,
                       const std::string& version) {
    if (salt) {
        m_salt = *salt;
    }
    m_accounts.clear();
    for (SimAccount account : accounts) {
        if (account.labPassword) {
            const auto lab = std::find_if(m_factory.users.begin(), m_factory.users.end(),
                                          [&](const SimUser& user) { return user.name == account.name; });
            if (lab == m_factory.users.end()) {
                continue; // the lab no longer has this user
            }
            account.password = lab->password;
            account.key.reset();
        }
        m_accounts.push_back(std::move(account));
    }
    StoreU32(m_portBlock.data() + kHttpPortOffset, httpPort);
    StoreU32(m_portBlock.data() + kTcpPortOffset, tcpPort);
    StoreU16(m_rtspBlock.data() + kRtspPortOffset, rtspPort);
    StoreU32(m_modelBlock.data() + kModelFlagsOffset, kModelValidFlag);
    PutText(m_modelBlock.data() + kModelTextOffset, model, kModelBlockSize - kModelTextOffset);
    m_version = version;
}

void SimStore::DeriveKeysForSaving() {
    for (auto& account : m_accounts) {
        if (!account.labPassword) {
            KeyOf(account.name);
        }
    }
}

void SimStore::DeriveAllKeys() {
    for (auto& account : m_accounts) {
        KeyOf(account.name);
    }
}

uint16_t SimStore::HttpPort() const {
    return static_cast<uint16_t>(LoadU32(m_portBlock.data() + kHttpPortOffset));
}

uint16_t SimStore::TcpPort() const {
    return static_cast<uint16_t>(LoadU32(m_portBlock.data() + kTcpPortOffset));
}

uint16_t SimStore::RtspPort() const {
    return LoadU16(m_rtspBlock.data() + kRtspPortOffset);
}

std::string SimStore::Model() const {
    if ((LoadU32(m_modelBlock.data()) & kModelValidFlag) == 0) {
        return {};
    }
    return FieldText(m_modelBlock, kModelTextOffset, kModelBlockSize - kModelTextOffset);
}

} // namespace devsim
