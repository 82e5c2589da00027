#pragma once
// The firmware upgrade of one ONVIF device: StartFirmwareUpgrade gives the
// upload address, the wait before the upload and the expected time away;
// the image goes there as an HTTP POST (application/octet-stream, digest
// with the login's credentials) straight from the one shared read-only
// image; then the device is given its time away and asked for its device
// information until it answers with another firmware version. A device
// without StartFirmwareUpgrade gets UpgradeSystemFirmware with the image as
// an MTOM attachment instead. Runs on a worker thread.
#include "onvif/attachment_call.h"

#include <cstdint>
#include <functional>
#include <string>

namespace onvif {

enum class UpgradeOutcome : uint8_t {
    Ok,      // the device came back with another firmware version
    Refused, // the device refused the image (another model, a damaged file)
    WrongPassword,
    Locked,
    Unreachable,      // no connection before the upload
    NotBack,          // the device did not answer again after the upload
    VersionUnchanged, // it answered, still with the old version
    NotSupported,     // no firmware upgrade over ONVIF at all
    TransferFailed,   // the upload broke off
    Failed,           // any other refusal or a reply that made no sense
    Cancelled,
};

const char* UpgradeOutcomeKey(UpgradeOutcome outcome);

struct UpgradeTiming {
    int64_t maxUploadDelayMs = 60000; // UploadDelay is cut to this
    int64_t fallbackDownMs = 60000;   // time away after UpgradeSystemFirmware
    ComeBackTiming comeBack;
};

struct UpgradeResult {
    UpgradeOutcome outcome = UpgradeOutcome::Failed;
    std::string errorKey; // language key; empty on success
    std::string oldVersion;
    std::string newVersion;
    bool usedFallback = false; // UpgradeSystemFirmware instead of StartFirmwareUpgrade
};

// progress: percent of the upload, 0..100, each value once, in order, from
// this thread. image must stay alive and unchanged during the call.
UpgradeResult UpgradeOnvifFirmware(const DeviceChannel& channel, ByteRange image,
                                   const std::function<void(int)>& progress,
                                   const UpgradeTiming& timing = {});

} // namespace onvif
