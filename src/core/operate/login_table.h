#pragma once
// The logins of the device table, owned by the device session (and by a
// command of the command line for its run): the only place that says
// whether a device is logged in, with what handle, user and password. The
// records found by a search hold facts only.
//
// Logins are keyed by the record's key. Every change is reported through
// the change callback after the table's lock is released, on the thread
// that made it (a batch's worker, the window's thread); the desktop program
// re-posts it to the window, which redraws the login column from here.
#include "operate/device_login.h"

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class LoginTable {
public:
    using Changed = std::function<void(const std::string& key, bool loggedIn)>;

    LoginTable() = default;
    ~LoginTable();
    LoginTable(const LoginTable&) = delete;
    LoginTable& operator=(const LoginTable&) = delete;

    // Set once, before the table is shared with other threads.
    void SetChanged(Changed changed) { m_changed = std::move(changed); }

    bool IsLoggedIn(const std::string& key) const;
    // 0 when the device is not logged in.
    int32_t Handle(const std::string& key) const;
    // A copy of the login (its password included), or nullopt.
    std::optional<DeviceLogin> Find(const std::string& key) const;
    std::size_t Count() const;

    // A new login replaces whatever the key held (the old password wiped).
    void Begin(const std::string& key, DeviceLogin login);
    // The login ends: with logout set its link logs it out (a device that
    // restarts or resets ends it itself), and the password is wiped.
    // Nothing happens when the key has no login.
    void End(const std::string& key, bool logout = true);
    // A network change moved the device: the login ends now and is logged
    // out by the next EndAll.
    void Park(const std::string& key);
    // Every login in key order, then every parked one in the order they
    // were parked, each through its link; all are gone afterwards.
    void EndAll();

    // The record moved to another key (it learnt its MAC): its login moves
    // with it, without a change report.
    void Rekey(const std::string& oldKey, const std::string& newKey);

    std::vector<int32_t> ParkedHandles() const;

private:
    void Notify(const std::string& key, bool loggedIn) const;

    mutable std::mutex m_lock;
    std::map<std::string, DeviceLogin> m_logins;
    std::vector<DeviceLogin> m_parked;
    Changed m_changed;
};
