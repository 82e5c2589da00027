// A passive observer between the program and a device records every byte of
// a session; none of the secrets that crossed it can be found in clear.
#include "sdk/byte_codec.h"
#include "sdk/sdk_layout.h"
#include "sdk/tcp_link.h"
#include "sim_fixture.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

using namespace simlab;
using namespace sdklayout;
using sdkwire::Bytes;

namespace {

// Relays one connection to the device and keeps a copy of both directions.
class RecordingRelay {
public:
    RecordingRelay(const std::string& ip, uint16_t port, const std::string& deviceIp, uint16_t devicePort)
        : m_listener(sdknet::TcpListener::Listen(ip, port)) {
        m_thread = std::thread([this, deviceIp, devicePort] {
            auto client = m_listener ? m_listener->Accept(5000) : nullptr;
            auto device = client ? sdknet::TcpLink::Connect(deviceIp, devicePort, 2000) : nullptr;
            if (!device) {
                return;
            }
            std::thread back([&] { Pump(*device, *client); });
            Pump(*client, *device);
            device->Shutdown();
            back.join();
        });
    }
    ~RecordingRelay() {
        m_stop = true;
        m_thread.join();
    }
    Bytes Recorded() {
        std::lock_guard lock(m_mutex);
        return m_recorded;
    }

private:
    void Pump(sdknet::TcpLink& from, sdknet::TcpLink& to) {
        uint8_t buffer[16384];
        while (!m_stop) {
            const int count = from.Receive(buffer, 100);
            if (count < 0) {
                break;
            }
            if (count == 0) {
                continue;
            }
            {
                std::lock_guard lock(m_mutex);
                m_recorded.insert(m_recorded.end(), buffer, buffer + count);
            }
            if (!to.SendAll(std::span(buffer, static_cast<std::size_t>(count)))) {
                break;
            }
        }
        to.Shutdown();
    }

    std::unique_ptr<sdknet::TcpListener> m_listener;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    Bytes m_recorded;
    std::thread m_thread;
};

bool Contains(const Bytes& haystack, const void* needle, std::size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(needle);
    return std::search(haystack.begin(), haystack.end(), bytes, bytes + size) != haystack.end();
}

bool Contains(const Bytes& haystack, const std::string& needle) {
    return Contains(haystack, needle.data(), needle.size());
}

} // namespace

TEST(SdkObserver, SessionBytesRevealNoPasswordUserTableOrConfiguration) {
    const std::string password = "Sup3r-Secret-Pass";
    const std::string newPassword = "An0ther-Long-Secret";
    auto settings = NewSettings(password);
    settings.users = {{"admin", password}, {"installer", "Installer-Pass-77"}};
    settings.model = "MODEL-XYZ-4242";
    auto device = StartDevice(settings);
    ASSERT_TRUE(device);
    const uint16_t relayPort = static_cast<uint16_t>(settings.tcpPort + 2);
    RecordingRelay relay(settings.ip, relayPort, settings.ip, settings.tcpPort);

    int error = 0;
    const int handle = Login(settings, "admin", password, &error, relayPort);
    ASSERT_GT(handle, 0);
    Bytes table(kUserTableSize);
    ASSERT_EQ(SDK_GetUserInfo(handle, table.data(), 30000), 1);
    Bytes ports(kPortBlockSize);
    int length = 0;
    ASSERT_EQ(SDK_GetConfig(handle, kPortCommand, -1, ports.data(), static_cast<int>(ports.size()), &length,
                            -1, 0, 0),
              1);
    Bytes model(kModelBlockSize);
    ASSERT_EQ(SDK_GetConfig(handle, kModelCommand, -1, model.data(), static_cast<int>(model.size()), &length,
                            -1, 0, 0),
              1);
    const std::string exportPath = ::testing::TempDir() + "observer.coi";
    ASSERT_EQ(SDK_ExportConfig(handle, 0, exportPath.c_str(), 0, 0), 1);
    Bytes oldRecord(table.begin() + kFirstUserOffset, table.begin() + kFirstUserOffset + kUserRecordSize);
    std::memcpy(&oldRecord[kUserPasswordOffset], password.data(), password.size());
    Bytes newRecord = oldRecord;
    std::memset(&newRecord[kUserPasswordOffset], 0, kUserPasswordSize);
    std::memcpy(&newRecord[kUserPasswordOffset], newPassword.data(), newPassword.size());
    ASSERT_EQ(SDK_ModifyUser(handle, kModifyUserPassword, newRecord.data(), oldRecord.data(), 5000), 1);
    SDK_Logout(handle);

    ASSERT_TRUE(WaitFor([&] { return relay.Recorded().size() > kUserTableSize; }));
    const Bytes wire = relay.Recorded();
    EXPECT_FALSE(Contains(wire, password));
    EXPECT_FALSE(Contains(wire, newPassword));
    EXPECT_FALSE(Contains(wire, "Installer-Pass-77"));
    EXPECT_FALSE(Contains(wire, "installer")); // the user table's other user
    EXPECT_FALSE(Contains(wire, "MODEL-XYZ-4242"));
    // A 32-byte run of the port block and of the user record.
    EXPECT_FALSE(Contains(wire, ports.data() + 100, 32));
    EXPECT_FALSE(Contains(wire, oldRecord.data(), 32));
    // The whole table (mostly zeros) would show as long zero runs.
    EXPECT_FALSE(Contains(wire, Bytes(256, 0).data(), 256));
}
