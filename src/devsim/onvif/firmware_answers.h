#pragma once
// The maintenance operations of a simulated ONVIF device: firmware upgrade
// (StartFirmwareUpgrade with an upload address, UpgradeSystemFirmware with
// the image as an MTOM attachment), configuration backup (GetSystemUris
// with a download address, GetSystemBackup) and restore
// (StartSystemRestore with an upload address, RestoreSystem).
//
// Firmware images are the lab's firmware files (docs/device-protocol.md,
// "The firmware image"): a header with model and version, then the payload
// and its SHA-256. A device takes only its own model. Its configuration
// backup is a text of its own: a first line "CORVANE-SIM-BACKUP 1", then
// "model=", "location=" lines and a last line "sha256=" with the hash of
// everything before it; a restore applies the location and refuses a file
// that is damaged or of another model.
#include "onvif/device_answers.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace onvifsim {

// The operation of this name among the maintenance operations, or null
// (also for one the device is marked as lacking: onvif_config.h).
const Operation* FindMaintenanceOperation(std::string_view name, const SimDevice& device);

// Checks a firmware image as it arrives, keeping only its header: the
// payload is hashed chunk by chunk and not kept.
class FirmwareCheck {
public:
    FirmwareCheck();
    ~FirmwareCheck();
    FirmwareCheck(const FirmwareCheck&) = delete;
    FirmwareCheck& operator=(const FirmwareCheck&) = delete;

    void Take(const uint8_t* data, std::size_t size);
    enum class Verdict { Good, WrongModel, Damaged };
    // model: the device's model; version receives the image's.
    Verdict Finish(const std::string& model, std::string& version);

private:
    static constexpr std::size_t kHeaderSize = 140;
    std::array<uint8_t, kHeaderSize> m_header{};
    std::size_t m_headerFill = 0;
    uint64_t m_payload = 0;
    struct Hash;
    std::unique_ptr<Hash> m_hash;
};

// The device's backup file, and a restore of one (false: refused).
std::string MakeBackupFile(const SimDevice& device);
bool ApplyBackupFile(std::string_view file, SimDevice& device);

// The device's model as GetDeviceInformation reports it.
std::string ModelOf(const SimDevice& device);
// "http://IP[:PORT]" + path.
std::string DeviceUrl(const SimDevice& device, const std::string& path);

inline constexpr const char* kBackupPath = "/onvif/backup/config.bin";

} // namespace onvifsim
