#pragma once
// One read-only copy of a firmware image for every upgrade that sends it:
// an upgrade batch of hundreds of devices reads the file once and holds it
// once, for as long as any of its transfers needs it.
#include "sdk/byte_codec.h"

#include <memory>
#include <string>

namespace sdkclient {

// The image at path (at most maxSize bytes), shared with every upgrade that
// holds the same unchanged file; null when it cannot be read. A file changed
// on disk (size or modification time) is read again.
std::shared_ptr<const sdkwire::Bytes> SharedFirmware(const std::string& path, std::size_t maxSize);

} // namespace sdkclient
