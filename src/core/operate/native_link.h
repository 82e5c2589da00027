#pragma once
// The native family's device link: today's SDK calls and device steps.
#include "operate/device_link.h"
#include "operate/sdk_calls.h"

class NativeLink : public DeviceLink {
public:
    // sdk must outlive the link.
    explicit NativeLink(const SdkCalls& sdk = RealSdk()) : m_sdk(sdk) {}

    const SdkCalls& Sdk() const { return m_sdk; }

    bool Login(const DeviceEntry& entry, const std::string& user, const std::string& password,
               DeviceLogin& login, int& error) override;
    void Logout(const DeviceLogin& login) override;
    bool Reboot(const DeviceLogin& login) override;
    bool FactoryDefault(const DeviceLogin& login) override;
    int ChangePassword(const DeviceLogin& login, const std::string& oldPassword,
                       const std::string& newPassword) override;
    PortChangeResult ChangePorts(DeviceEntry& entry, const DeviceLogin& login,
                                 const PortTriple& ports) override;
    bool ImportConfig(const DeviceLogin& login, const std::string& path) override;
    std::string FirmwareVersion(const DeviceEntry& entry, const DeviceLogin& login) override;
    bool ExportConfig(const DeviceEntry& entry, const DeviceLogin& login, const std::string& path,
                      std::string& failKey) override;
    // The first picture of the stream, as the device sends it (JPEG).
    bool SaveSnapshot(const DeviceLogin& login, int stream, const std::string& path,
                      std::string& failKey) override;

private:
    const SdkCalls& m_sdk;
};
