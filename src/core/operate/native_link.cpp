#include "operate/native_link.h"

#include "operate/device_actions.h"
#include "sdk/sdk_layout.h"

namespace {

// Every part of the configuration: a reset leaves nothing of the old one.
constexpr unsigned int kRestoreAllMask = 0x80000000u;

} // namespace

bool NativeLink::Login(const DeviceEntry& entry, const std::string& user, const std::string& password,
                       DeviceLogin& login, int& error) {
    unsigned char info[sdklayout::kLoginInfoSize] = {};
    error = 0;
    const int handle =
        m_sdk.login(entry.ip.c_str(), entry.tcpPort, user.c_str(), password.c_str(), info, &error, 0, 0);
    if (handle <= 0) {
        return false;
    }
    login.link = this;
    login.handle = handle;
    login.user = user;
    login.password = password;
    return true;
}

void NativeLink::Logout(const DeviceLogin& login) {
    m_sdk.logout(login.handle);
}

bool NativeLink::Reboot(const DeviceLogin& login) {
    return m_sdk.reboot(login.handle) == 1;
}

bool NativeLink::FactoryDefault(const DeviceLogin& login) {
    return m_sdk.restoreDefault(login.handle, kRestoreAllMask) == 1;
}

int NativeLink::ChangePassword(const DeviceLogin& login, const std::string& oldPassword,
                               const std::string& newPassword) {
    return ::ChangePassword(login, oldPassword, newPassword, m_sdk);
}

PortChangeResult NativeLink::ChangePorts(DeviceEntry& entry, const DeviceLogin& login,
                                         const PortTriple& ports) {
    return ::ChangePorts(entry, login, ports, m_sdk);
}

bool NativeLink::ImportConfig(const DeviceLogin& login, const std::string& path) {
    return m_sdk.importConfig(login.handle, path.c_str(), 0, 0, 0, 0, 1) != 0;
}

std::string NativeLink::FirmwareVersion(const DeviceEntry&, const DeviceLogin& login) {
    return QueryFirmwareVersion(login.handle, m_sdk);
}

bool NativeLink::ExportConfig(const DeviceEntry&, const DeviceLogin& login, const std::string& path,
                              std::string& failKey) {
    const bool written = ExportConfiguration(login.handle, path, m_sdk) == 1;
    failKey = written ? std::string() : "info.operate_fail";
    return written;
}
