#pragma once
// One read-only copy of a firmware image for every upgrade that sends it:
// an upgrade batch of hundreds of devices reads the file once and holds it
// once, for as long as any of its transfers needs it.
#include "sdk/byte_codec.h"
#include "sdk/config_file.h"

#include <memory>
#include <optional>
#include <string>

namespace sdkclient {

// The image at path (at most maxSize bytes), shared with every upgrade that
// holds the same unchanged file; null when it cannot be read. A file changed
// on disk (size or modification time) is read again.
std::shared_ptr<const sdkwire::Bytes> SharedFirmware(const std::string& path, std::size_t maxSize);

// The header of that shared image after the checks of sdkwire::CheckFirmware,
// checked once per image; nothing when the file cannot be read or fails them.
// image (optional) receives the shared copy.
std::optional<sdkwire::FirmwareHeader>
CheckedFirmware(const std::string& path, std::size_t maxSize,
                std::shared_ptr<const sdkwire::Bytes>* image = nullptr);

} // namespace sdkclient
