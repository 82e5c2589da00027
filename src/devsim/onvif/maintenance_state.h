#pragma once
// What a simulated ONVIF device keeps for its maintenance operations
// (firmware upgrade, configuration backup and restore): the upload it
// expects, the MTOM attachments of the request being handled, and the
// restart an accepted firmware asks for.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace onvifsim {

struct MaintenanceState {
    // The upload address StartFirmwareUpgrade / StartSystemRestore handed
    // out last (its path); one upload each, then it is closed.
    std::string firmwarePath;
    std::string restorePath;
    uint64_t ticket = 0; // numbers the paths
    // The attachments of the request being handled, by content id; they
    // point into the request and live only while it is handled.
    std::vector<std::pair<std::string, std::string_view>> attachments;
    // Set when a firmware image was taken: the device restarts once the
    // answer is out.
    bool restartRequested = false;
    int64_t rebootMs = 20000; // time away after an accepted firmware
};

} // namespace onvifsim
