#include "operate/login_table.h"

#include "operate/device_link.h"

#include <openssl/crypto.h>

namespace {

void Wipe(DeviceLogin& login) {
    OPENSSL_cleanse(login.password.data(), login.password.size());
    login.password.clear();
}

void LogOut(const DeviceLogin& login) {
    if (login.link) {
        login.link->Logout(login);
    }
}

} // namespace

LoginTable::~LoginTable() = default;

bool LoginTable::IsLoggedIn(const std::string& key) const {
    std::lock_guard lock(m_lock);
    return m_logins.count(key) != 0;
}

int32_t LoginTable::Handle(const std::string& key) const {
    std::lock_guard lock(m_lock);
    const auto found = m_logins.find(key);
    return found == m_logins.end() ? 0 : found->second.handle;
}

std::optional<DeviceLogin> LoginTable::Find(const std::string& key) const {
    std::lock_guard lock(m_lock);
    const auto found = m_logins.find(key);
    if (found == m_logins.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::size_t LoginTable::Count() const {
    std::lock_guard lock(m_lock);
    return m_logins.size();
}

void LoginTable::Begin(const std::string& key, DeviceLogin login) {
    {
        std::lock_guard lock(m_lock);
        DeviceLogin& slot = m_logins[key];
        Wipe(slot);
        slot = std::move(login);
    }
    Notify(key, true);
}

void LoginTable::End(const std::string& key, bool logout) {
    DeviceLogin ended;
    {
        std::lock_guard lock(m_lock);
        const auto found = m_logins.find(key);
        if (found == m_logins.end()) {
            return;
        }
        ended = std::move(found->second);
        m_logins.erase(found);
    }
    if (logout) {
        LogOut(ended);
    }
    Notify(key, false);
}

void LoginTable::Park(const std::string& key) {
    {
        std::lock_guard lock(m_lock);
        const auto found = m_logins.find(key);
        if (found == m_logins.end()) {
            return;
        }
        Wipe(found->second);
        m_parked.push_back(std::move(found->second));
        m_logins.erase(found);
    }
    Notify(key, false);
}

void LoginTable::EndAll() {
    std::map<std::string, DeviceLogin> logins;
    std::vector<DeviceLogin> parked;
    {
        std::lock_guard lock(m_lock);
        logins.swap(m_logins);
        parked.swap(m_parked);
    }
    for (auto& [key, login] : logins) {
        LogOut(login);
        Notify(key, false);
    }
    for (DeviceLogin& login : parked) {
        LogOut(login);
    }
}

void LoginTable::Rekey(const std::string& oldKey, const std::string& newKey) {
    std::lock_guard lock(m_lock);
    auto node = m_logins.extract(oldKey);
    if (!node.empty() && m_logins.count(newKey) == 0) {
        node.key() = newKey;
        m_logins.insert(std::move(node));
    }
}

std::vector<int32_t> LoginTable::ParkedHandles() const {
    std::lock_guard lock(m_lock);
    std::vector<int32_t> handles;
    for (const DeviceLogin& login : m_parked) {
        handles.push_back(login.handle);
    }
    return handles;
}

void LoginTable::Notify(const std::string& key, bool loggedIn) const {
    if (m_changed) {
        m_changed(key, loggedIn);
    }
}
