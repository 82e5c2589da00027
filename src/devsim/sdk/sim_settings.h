#pragma once
// What one simulated device is on the SDK side: its users, ports, model,
// firmware version, timings and the faults it injects.
#include "sdk/session_crypto.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace devsim {

struct SimUser {
    std::string name;
    std::string password;
};

// A user as the device keeps it: the key derived from the password under
// the device's salt (docs/device-protocol.md, section 4), derived on first
// use. The clear password is known to the process only while it comes from
// the lab or from a change in this run; the state file never holds it.
struct SimAccount {
    std::string name;
    std::optional<std::string> password;
    std::optional<sdkwire::Digest> key;
    bool labPassword = false; // the password is the lab's (the state file says so instead of a key)
};

struct SimSdkFaults {
    int refuseLoginCode = 0;         // non-zero: every login answered with this code (7 = busy)
    int stallUpgradeAtPercent = -1;  // 50..100: the writing stops reporting at this overall percent
    int dropUpgradeAtPercent = -1;   // 50..100: the connection is dropped at this overall percent
    bool refuseConfigWrites = false; // every configuration write, import and reset refused
    int slowMs = 0;                  // delay before every reply
    int shortBlocks = -1;            // >= 0: GET_CONFIG blocks cut to this many bytes
    int wrongReplyType = 0;          // non-zero: every reply carries this type (| 0x8000)
    bool badPictures = false;        // preview pictures that are not JPEG pictures
    int corruptPictureEvery = 0;     // > 0: every n-th preview picture starts like a JPEG but is unreadable
    int stallPreviewAfter = -1;      // >= 0: the preview stops after this many frames, the connection stays
    bool oldProtocol = false;        // answers HELLO as a device of protocol version 1 and closes
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
    int previewFps = 25;
    uint32_t keyIterations = sdkwire::kDefaultKeyIterations;
    uint8_t maxVersion = 5; // the highest protocol version the device speaks (2 to 5)
    SimSdkFaults faults;
};

} // namespace devsim
