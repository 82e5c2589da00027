// What a device parses from the network: frames and every client-to-device
// payload, plus the two file formats the device checks (firmware, and the
// configuration file, which the client checks).
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
    const std::span<const uint8_t> input(data + 1, size - 1);
    DecodeFirmware(input);
    DecodeConfigFile(input);
    FrameCodec codec(Role::Device);
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
    codec.Feed(input);
    Frame frame;
    while (codec.Next(frame) == FrameCodec::Status::HaveFrame) {
        DecodeHello(frame.payload);
        DecodeLogin(frame.payload);
        if (auto request = DecodeRequest(frame.payload)) {
            ByteReader in(request->body);
            in.U32();
            in.Blob(kMaxConfigImage);
            in.Blob(kMaxUpgradeChunk);
            DecodeModifyUserKey(request->body);
        }
    }
    return 0;
}
