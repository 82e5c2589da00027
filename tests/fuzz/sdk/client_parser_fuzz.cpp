// What a client parses from the network: frames (in clear, and sealed when
// the first input byte is odd) and every device-to-client payload; and the
// firmware file it checks before an upgrade.
#include "sdk/config_file.h"
#include "sdk/wire_frame.h"
#include "sdk/wire_messages.h"

#include <cstddef>
#include <cstdint>

using namespace sdkwire;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    CheckFirmware(std::span(data + 1, size - 1));
    FrameCodec codec(Role::Client);
    // Bit 0: sealed under a fixed key; bit 1: version 2 already negotiated
    // (otherwise any version is taken, as before CHALLENGE).
    if (data[0] & 2) {
        codec.SetVersion(kProtocolVersion);
    }
    if (data[0] & 1) {
        Digest key{};
        key.fill(0x42);
        codec.StartEncryption(key);
    }
    // Fed in uneven pieces so partial headers and bodies are exercised.
    std::size_t offset = 1;
    std::size_t piece = 1;
    Frame frame;
    while (offset < size) {
        const std::size_t count = std::min(piece, size - offset);
        codec.Feed(std::span(data + offset, count));
        offset += count;
        piece = piece * 3 + 1;
        while (codec.Next(frame) == FrameCodec::Status::HaveFrame) {
            DecodeChallenge(frame.payload);
            DecodeLoginResult(frame.payload);
            if (auto reply = DecodeReply(frame.payload)) {
                ByteReader in(reply->body);
                in.Blob(kMaxConfigImage);
                in.Text(kMaxInfoText);
            }
            DecodeUpgradeProgress(frame.payload);
            DecodePreviewFrame(frame.payload);
            DecodeClosing(frame.payload);
        }
    }
    return 0;
}
