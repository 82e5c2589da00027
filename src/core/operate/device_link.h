#pragma once
// One device family's way of working with a device after it was found: the
// login and the steps of the device list's actions and of the batches. Each
// reports as the native family does (SDK login error codes, true for a step
// the device took), so pages, batches and the command line never ask which
// family a device belongs to; the record's operations say what applies.
#include "discovery/device_entry.h"
#include "operate/device_login.h"
#include "operate/device_steps.h"
#include "operate/preview_stream.h"
#include "operate/time_setting.h"

#include <functional>
#include <memory>
#include <string>

class DeviceLink {
public:
    virtual ~DeviceLink() = default;

    // true: logged in, login holds what the family keeps (link set to this
    // link); false: error holds the login error code.
    virtual bool Login(const DeviceEntry& entry, const std::string& user, const std::string& password,
                       DeviceLogin& login, int& error) = 0;
    virtual void Logout(const DeviceLogin& login) = 0;

    // Each true when the device took the step.
    virtual bool Reboot(const DeviceLogin& login) = 0;
    virtual bool FactoryDefault(const DeviceLogin& login) = 0;
    // The factory default that keeps the network settings, so the device
    // stays where it is; only families whose records offer SoftReset do it.
    virtual bool FactoryDefaultKeepingNetwork(const DeviceLogin& login) {
        (void)login;
        return false;
    }
    // As ChangePassword: 1 changed, -1 the old password is wrong, 0 or
    // other values: refused.
    virtual int ChangePassword(const DeviceLogin& login, const std::string& oldPassword,
                               const std::string& newPassword) = 0;
    // The record's ports change when the device restarted with them.
    virtual PortChangeResult ChangePorts(DeviceEntry& entry, const DeviceLogin& login,
                                         const PortTriple& ports) = 0;
    virtual bool ImportConfig(const DeviceLogin& login, const std::string& path) = 0;
    // The firmware version the export's file name is made from.
    virtual std::string FirmwareVersion(const DeviceEntry& entry, const DeviceLogin& login) = 0;
    // Saves the device's configuration to path, as the device gives it.
    // False with the language key of the reason.
    virtual bool ExportConfig(const DeviceEntry& entry, const DeviceLogin& login, const std::string& path,
                              std::string& failKey) = 0;
    // A family that changes a device's network settings through its own
    // service, after a login, instead of the native configuration
    // datagrams (which need none).
    virtual bool ChangesNetworkItself() const { return false; }
    // changed holds the new address, mask, gateway, DNS and DHCP choice.
    // True when the device took them and was found again at its new place
    // (a device on DHCP: changed.ip then holds the address it was found
    // at); else false with the language key of the reason.
    virtual bool ChangeNetwork(const DeviceEntry& entry, const DeviceLogin& login, DeviceEntry& changed,
                               std::string& failKey) {
        (void)entry, (void)login, (void)changed;
        failKey = "info.Fail_not_supported";
        return false;
    }
    // As ChangeNetwork without looking for the device at its new place
    // (true: the device took the settings): for a caller that finds many
    // moved devices again with one search.
    virtual bool SendNetworkChange(const DeviceEntry& entry, const DeviceLogin& login,
                                   const DeviceEntry& changed, std::string& failKey) {
        DeviceEntry settings = changed;
        return ChangeNetwork(entry, login, settings, failKey);
    }
    // A family that upgrades firmware through its own service, on a thread
    // the caller gives it, instead of the native upgrade calls.
    virtual bool UpgradesItself() const { return false; }
    // The whole upgrade from the image at path: the transfer (progress gets
    // its percent), the device's restart and the check that it runs the new
    // firmware. True only then; else false with the language key of the
    // reason. cancelled() tells that the program ends.
    virtual bool Upgrade(DeviceEntry& entry, const DeviceLogin& login, const std::string& path,
                         const std::function<void(int percent)>& progress,
                         const std::function<bool()>& cancelled, std::string& failKey) {
        (void)entry, (void)login, (void)path, (void)progress, (void)cancelled;
        failKey = "info.Fail_not_supported";
        return false;
    }
    // The record's device time shows the clock as set when the device took
    // it. Only families whose records offer the time operation set it.
    virtual bool SetTime(DeviceEntry& entry, const DeviceLogin& login, const TimeSetting& time) {
        (void)entry, (void)login, (void)time;
        return false;
    }
    // A family that streams its previews itself instead of the native
    // preview calls.
    virtual bool PreviewsItself() const { return false; }
    // The live stream (2 main, 3 sub) of the device of login, not started:
    // finding its address and connecting wait on the device, so they happen
    // on the stream's worker once it starts. nullptr when the family has
    // none or the login is not this link's.
    virtual std::unique_ptr<PreviewStream> OpenPreview(const DeviceLogin& login, int stream) {
        (void)login, (void)stream;
        return nullptr;
    }
    // Saves one JPEG picture of the stream (2 main, 3 sub) to path. False
    // with the language key of the reason.
    virtual bool SaveSnapshot(const DeviceLogin& login, int stream, const std::string& path,
                              std::string& failKey) {
        (void)login, (void)stream, (void)path;
        failKey = "info.Fail_not_supported";
        return false;
    }
};
