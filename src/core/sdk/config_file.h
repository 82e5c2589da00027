#pragma once
// The ".coi" configuration file (docs/device-protocol.md, section 9): the
// device's configuration image behind a header with a SHA-256 checksum.
#include "sdk/byte_codec.h"

#include <optional>
#include <string>
#include <sys/types.h>

namespace sdkwire {

Bytes EncodeConfigFile(std::span<const uint8_t> image);
// Nothing when the magic, version, size or checksum is wrong.
std::optional<Bytes> DecodeConfigFile(std::span<const uint8_t> file);

// The firmware image (section 10).
struct FirmwareInfo {
    std::string model;
    std::string version;
    Bytes payload;
};
Bytes EncodeFirmware(const FirmwareInfo& firmware);
// Checks magic, sizes and checksum; the model check is the device's.
std::optional<FirmwareInfo> DecodeFirmware(std::span<const uint8_t> file);
// The same checks; only the model and the version are returned (the
// payload is not copied).
struct FirmwareHeader {
    std::string model;
    std::string version;
};
std::optional<FirmwareHeader> CheckFirmware(std::span<const uint8_t> file);

// Whole small files; false/nothing on any error or when the file is larger
// than maxSize.
std::optional<Bytes> ReadWholeFile(const std::string& path, std::size_t maxSize);
// Through the program's atomic writer (platform/atomic_file.h), with mode
// (0666 for pictures, 0600 for configuration exports) less the umask.
bool WriteWholeFile(const std::string& path, std::span<const uint8_t> bytes, mode_t mode = 0666);

} // namespace sdkwire
