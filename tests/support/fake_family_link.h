#pragma once
// A second device family's link for the tests: it logs in and reboots and
// counts what it is asked, sets clocks and resets keeping the network;
// everything else it refuses.
#include "operate/device_link.h"

#include <atomic>

class FakeFamilyLink : public DeviceLink {
public:
    bool Login(const DeviceEntry&, const std::string& user, const std::string&, DeviceLogin& login,
               int&) override {
        login.link = this;
        login.user = user;
        ++logins;
        return true;
    }
    void Logout(const DeviceLogin&) override { ++logouts; }
    bool Reboot(const DeviceLogin&) override { return ++reboots > 0; }
    bool FactoryDefault(const DeviceLogin&) override { return false; }
    bool FactoryDefaultKeepingNetwork(const DeviceLogin&) override { return ++softResets > 0; }
    int ChangePassword(const DeviceLogin&, const std::string&, const std::string&) override { return 0; }
    PortChangeResult ChangePorts(DeviceEntry&, const DeviceLogin&, const PortTriple&) override { return {}; }
    bool ImportConfig(const DeviceLogin&, const std::string&) override { return false; }
    bool UpgradesItself() const override { return selfUpgrade; }
    bool Upgrade(DeviceEntry& entry, const DeviceLogin&, const std::string&,
                 const std::function<void(int)>& progress, const std::function<bool()>&,
                 std::string& failKey) override {
        progress(40);
        progress(100);
        if (afterTransfer) {
            afterTransfer(); // the device's restart
        }
        failKey = "info.Fail_refused";
        return entry.model != "refuses";
    }
    std::string FirmwareVersion(const DeviceEntry&, const DeviceLogin&) override { return "1.0"; }
    bool ExportConfig(const DeviceEntry&, const DeviceLogin&, const std::string&,
                      std::string& failKey) override {
        failKey = "info.operate_fail";
        return false;
    }
    bool SetTime(DeviceEntry& entry, const DeviceLogin&, const TimeSetting& time) override {
        entry.deviceTime = time.ntp ? "ntp:" + time.ntpServers.front() : "set";
        return true;
    }

    std::atomic<int> logins{0};
    std::atomic<int> logouts{0};
    std::atomic<int> reboots{0};
    std::atomic<int> softResets{0};
    std::function<void()> afterTransfer;
    bool selfUpgrade = false; // upgrades through its own service
};
