#pragma once
// A device's configuration out to a file and back: the export fetches the
// backup from the address GetSystemUris names (HTTP GET, digest) and keeps
// it byte for byte, written atomically; the import posts the file to the
// address StartSystemRestore gives and waits for the device to answer
// again. GetSystemBackup and RestoreSystem (the file as an MTOM attachment)
// stand in for devices without the first ones. Runs on a worker thread.
#include "onvif/attachment_call.h"

#include <cstdint>
#include <string>

namespace onvif {

inline constexpr std::size_t kMaxBackupBytes = 64 * 1024 * 1024;

enum class BackupOutcome : uint8_t {
    Ok,
    Refused, // the device refused the file (damaged, not its own)
    WrongPassword,
    Locked,
    Unreachable,
    NotSupported,   // neither way exists on the device
    TransferFailed, // the transfer broke off, or the backup is over the size limit
    FileError,      // the file cannot be read (import) or written (export)
    NotBack,        // after an import the device did not answer again
    Failed,
    Cancelled,
};

const char* BackupOutcomeKey(BackupOutcome outcome);

struct BackupResult {
    BackupOutcome outcome = BackupOutcome::Failed;
    std::string errorKey; // language key; empty on success
    uint64_t bytes = 0;   // the file's size
    bool usedFallback = false;
};

BackupResult ExportOnvifBackup(const DeviceChannel& channel, const std::string& path,
                               std::size_t maxBytes = kMaxBackupBytes);
BackupResult RestoreOnvifBackup(const DeviceChannel& channel, const std::string& path,
                                const ComeBackTiming& timing = {}, std::size_t maxBytes = kMaxBackupBytes);

// The first backup file of a GetSystemBackup answer (HTTP content type and
// body): its attachment, or its inline base64 data. nullopt when the answer
// is not one.
std::optional<std::string> ParseSystemBackup(std::string_view contentType, std::string_view body);

} // namespace onvif
