// Firmware chunks sealed straight from the image into one reused buffer: the
// same bytes on the wire as a frame built from a copied payload, opened in
// order by a device that receives into its own buffer, and neither side
// allocating anything per chunk once the first frame has sized the buffers.
#include "allocation_probe.h"
#include "sdk/wire_frame.h"
#include "sdk/wire_messages.h"

#include <gtest/gtest.h>

using namespace sdkwire;

namespace {

FrameCodec Sealing(Role role, const Digest& key) {
    FrameCodec codec(role);
    codec.SetVersion(4);
    codec.StartEncryption(key);
    return codec;
}

} // namespace

TEST(FrameReuse, ChunksSealedFromTheImageAreTheBytesOfACopiedPayloadAndCostNoAllocation) {
    Digest key{};
    key.fill(0x42);
    Bytes image(5 * kMaxUpgradeChunk + 1234);
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<uint8_t>(i * 7 + i / 251);
    }
    FrameCodec copied = Sealing(Role::Client, key);
    FrameCodec direct = Sealing(Role::Client, key);
    FrameCodec device = Sealing(Role::Device, key);
    Bytes storage;
    Frame frame;
    std::size_t allocations = 0;
    uint32_t id = 1;
    for (uint32_t offset = 0; offset < image.size(); ++id) {
        const auto chunk = std::span<const uint8_t>(image).subspan(
            offset, std::min<std::size_t>(kMaxUpgradeChunk, image.size() - offset));
        ByteWriter body;
        body.U32(offset);
        body.Blob(chunk);
        const auto expected = copied.Encode(kUpgradeData, EncodeRequest(id, body.Data()));
        ASSERT_TRUE(expected);

        const std::size_t before = allocprobe::Count();
        uint8_t fields[12];
        StoreU32(fields, id);
        StoreU32(fields + 4, offset);
        StoreU32(fields + 8, static_cast<uint32_t>(chunk.size()));
        const std::span<const uint8_t> parts[] = {fields, chunk};
        const auto wire = direct.EncodeInto(kUpgradeData, parts, storage);
        ASSERT_TRUE(wire);
        const auto room = device.ReceiveSpace(wire->size());
        std::copy(wire->begin(), wire->end(), room.begin());
        device.Received(wire->size());
        ASSERT_EQ(device.Next(frame), FrameCodec::Status::HaveFrame);
        const auto request = ViewRequest(frame.payload);
        ASSERT_TRUE(request);
        ByteReader in(request->body);
        EXPECT_EQ(in.U32(), offset);
        const auto received = in.BlobView(kMaxUpgradeChunk);
        if (offset > 0) {
            allocations += allocprobe::Count() - before; // the first chunk sizes the buffers
        }

        EXPECT_TRUE(std::equal(wire->begin(), wire->end(), expected->begin(), expected->end()))
            << "offset " << offset;
        EXPECT_EQ(request->requestId, id);
        EXPECT_TRUE(std::equal(received.begin(), received.end(), chunk.begin(), chunk.end()));
        offset += static_cast<uint32_t>(chunk.size());
    }
    EXPECT_EQ(allocations, 0u);
}
