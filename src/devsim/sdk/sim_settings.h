#pragma once
// What one simulated device is on the SDK side: its users, ports, model,
// firmware version, timings and the faults it injects.
#include <cstdint>
#include <string>
#include <vector>

namespace devsim {

struct SimUser {
    std::string name;
    std::string password;
};

struct SimSdkFaults {
    int refuseLoginCode = 0;         // non-zero: every login answered with this code (7 = busy)
    int stallUpgradeAtPercent = -1;  // 50..100: the writing stops reporting at this overall percent
    int dropUpgradeAtPercent = -1;   // 50..100: the connection is dropped at this overall percent
    bool refuseConfigWrites = false; // every configuration write, import and reset refused
    int slowMs = 0;                  // delay before every reply
};

struct SimSdkSettings {
    std::string name = "device"; // shown in the preview picture
    std::string ip = "127.0.0.1";
    uint16_t tcpPort = 34567;
    uint16_t httpPort = 80;
    uint16_t rtspPort = 554;
    std::string model = "IPC-SIM";
    std::string firmwareVersion = "V1.00.R01 Build: 2026-01-01";
    std::vector<SimUser> users = {{"admin", ""}};
    int rebootMs = 3000; // time the device is away after a restart
    int flashMs = 1000;  // time the device takes to write a firmware image
    int maxSessions = 4; // logged-in sessions at once
    int lockMs = 300000; // how long a user stays locked after five failures
    int previewFps = 5;
    SimSdkFaults faults;
};

} // namespace devsim
