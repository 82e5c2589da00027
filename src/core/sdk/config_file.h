#pragma once
// The ".coi" configuration file (docs/device-protocol.md, section 9): the
// device's configuration image behind a header with a SHA-256 checksum.
#include "sdk/byte_codec.h"
#include "sdk/session_crypto.h"

#include <array>
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

// The checks of CheckFirmware over an image that arrives in pieces, as a
// device receives it: only the header and a running SHA-256 of the payload
// are kept, never the image.
class FirmwareReceiver {
public:
    void Add(std::span<const uint8_t> piece);
    std::size_t Received() const { return m_received; }
    // After the last piece: what CheckFirmware would say of the whole image.
    std::optional<FirmwareHeader> Finish();

private:
    static constexpr std::size_t kHeaderSize = 140;
    std::array<uint8_t, kHeaderSize> m_header{};
    std::size_t m_received = 0;
    Sha256Stream m_payloadDigest;
};

// Whole small files; false/nothing on any error or when the file is larger
// than maxSize.
std::optional<Bytes> ReadWholeFile(const std::string& path, std::size_t maxSize);
// Through the program's atomic writer (platform/atomic_file.h), with mode
// (0666 for pictures, 0600 for configuration exports) less the umask.
bool WriteWholeFile(const std::string& path, std::span<const uint8_t> bytes, mode_t mode = 0666);

} // namespace sdkwire
