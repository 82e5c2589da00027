#pragma once
// Simulated devices on loopback addresses for lab tests, each with its own
// address and TCP port so tests of one program never collide. The whole
// program runs in the test wrapper's private network namespace.
#include "devsim/sdk/sim_device.h"
#include "sdk/sdk.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace simlab {

// A fresh address and port for every device a test program creates.
inline devsim::SimSdkSettings NewSettings(const std::string& password = "admin123") {
    static std::atomic<int> next{0};
    const int index = next++;
    devsim::SimSdkSettings settings;
    settings.name = "CAM-" + std::to_string(index);
    settings.ip = "127.0.0." + std::to_string(2 + index % 200);
    settings.tcpPort = static_cast<uint16_t>(20000 + index * 3);
    settings.httpPort = static_cast<uint16_t>(8000 + index);
    settings.rtspPort = 554;
    settings.model = "IPC-SIM";
    settings.users = {{"admin", password}, {"operator", "op-pass"}};
    settings.rebootMs = 300;
    settings.flashMs = 200;
    settings.previewFps = 20;
    return settings;
}

inline std::unique_ptr<devsim::SimSdkDevice> StartDevice(const devsim::SimSdkSettings& settings) {
    auto device = std::make_unique<devsim::SimSdkDevice>(settings);
    if (!device->Start()) {
        return nullptr;
    }
    return device;
}

// Polls until the condition holds or the time is up.
inline bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 5000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

inline int Login(const devsim::SimSdkSettings& settings, const std::string& user, const std::string& password,
                 int* error, uint16_t port = 0) {
    unsigned char info[48];
    return SDK_Login(settings.ip.c_str(), port ? port : settings.tcpPort, user.c_str(), password.c_str(),
                     info, error, 0, 0);
}

} // namespace simlab
