#include "operate/native_link.h"

#include "operate/device_actions.h"
#include "sdk/config_file.h"
#include "sdk/sdk_layout.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace {

// Every part of the configuration: a reset leaves nothing of the old one.
constexpr unsigned int kRestoreAllMask = 0x80000000u;

constexpr int kFirstPictureWaitMs = 5000;

// Keeps the first picture of a preview.
class FirstPicture : public SdkFrameSink {
public:
    void OnFrame(const uint8_t* jpeg, std::size_t size, int, int) override {
        std::lock_guard lock(m_mutex);
        if (m_jpeg.empty()) {
            m_jpeg.assign(jpeg, jpeg + size);
            m_arrived.notify_all();
        }
    }
    std::vector<uint8_t> Wait(int timeoutMs) {
        std::unique_lock lock(m_mutex);
        m_arrived.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !m_jpeg.empty(); });
        return m_jpeg;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::vector<uint8_t> m_jpeg;
};

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

bool NativeLink::SaveSnapshot(const DeviceLogin& login, int stream, const std::string& path,
                              std::string& failKey) {
    FirstPicture sink;
    m_sdk.setPreviewOption(0, 1);
    const int preview = m_sdk.startPreview(login.handle, 0, &sink, stream, 0);
    if (preview == 0) {
        failKey = "info.Preview_open_fail";
        return false;
    }
    const std::vector<uint8_t> jpeg = sink.Wait(kFirstPictureWaitMs);
    m_sdk.stopPreview(preview);
    if (jpeg.empty() || !sdkwire::WriteWholeFile(path, jpeg)) {
        failKey = "info.operate_fail";
        return false;
    }
    return true;
}
