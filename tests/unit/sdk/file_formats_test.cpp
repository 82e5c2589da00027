// The ".coi" configuration file and the firmware image: round trips and
// every kind of damage refused.
#include "sdk/config_file.h"

#include <gtest/gtest.h>

using namespace sdkwire;

TEST(ConfigFile, RoundTripsAndRefusesDamage) {
    const Bytes image = {81, 0, 0, 0, 4, 0, 0, 0, 1, 2, 3, 4};
    const Bytes file = EncodeConfigFile(image);
    ASSERT_EQ(DecodeConfigFile(file), image);

    Bytes flipped = file;
    flipped.back() ^= 0x80;
    EXPECT_FALSE(DecodeConfigFile(flipped)); // checksum
    Bytes shorter(file.begin(), file.end() - 1);
    EXPECT_FALSE(DecodeConfigFile(shorter)); // size
    Bytes wrongMagic = file;
    wrongMagic[0] = 'X';
    EXPECT_FALSE(DecodeConfigFile(wrongMagic));
    Bytes oversize = file;
    oversize[12] = 0xFF;
    oversize[13] = 0xFF;
    oversize[14] = 0xFF;
    EXPECT_FALSE(DecodeConfigFile(oversize));
    EXPECT_FALSE(DecodeConfigFile(Bytes(20, 0)));
}

TEST(FirmwareImage, RoundTripsAndRefusesDamage) {
    FirmwareInfo firmware{"IPC-A1", "V5.00.R01 Build: 2026-11-30", Bytes(5000, 0x5A)};
    const Bytes file = EncodeFirmware(firmware);
    const auto back = DecodeFirmware(file);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->model, "IPC-A1");
    EXPECT_EQ(back->version, "V5.00.R01 Build: 2026-11-30");
    EXPECT_EQ(back->payload, firmware.payload);

    Bytes corrupt = file;
    corrupt[2000] ^= 1;
    EXPECT_FALSE(DecodeFirmware(corrupt));
    EXPECT_FALSE(DecodeFirmware(Bytes(file.begin(), file.begin() + 139)));
    Bytes wrongMagic = file;
    wrongMagic[3] = 'X';
    EXPECT_FALSE(DecodeFirmware(wrongMagic));

    // A device receiving it in pieces of any size judges it the same way,
    // whether a piece splits the header or not.
    const auto received = [](const Bytes& image, std::size_t piece) {
        FirmwareReceiver receiver;
        for (std::size_t at = 0; at < image.size(); at += piece) {
            receiver.Add(std::span(image).subspan(at, std::min(piece, image.size() - at)));
        }
        return receiver.Finish();
    };
    for (const std::size_t piece : {1ul, 139ul, 1000ul, 8192ul}) {
        const auto header = received(file, piece);
        ASSERT_TRUE(header) << piece;
        EXPECT_EQ(header->model, "IPC-A1");
        EXPECT_EQ(header->version, "V5.00.R01 Build: 2026-11-30");
        EXPECT_FALSE(received(corrupt, piece)) << piece;
    }
    EXPECT_FALSE(received(Bytes(file.begin(), file.end() - 1), 1000));
    EXPECT_FALSE(received(Bytes(file.begin(), file.begin() + 100), 1000));
}

TEST(WholeFile, WritesAtomicallyAndHonoursTheSizeLimit) {
    const std::string path = ::testing::TempDir() + "whole_file_test.bin";
    const Bytes bytes(300, 7);
    ASSERT_TRUE(WriteWholeFile(path, bytes));
    EXPECT_EQ(ReadWholeFile(path, 300), bytes);
    EXPECT_FALSE(ReadWholeFile(path, 299));
    EXPECT_FALSE(ReadWholeFile(path + ".missing", 1000));
    EXPECT_FALSE(WriteWholeFile("/nonexistent-folder/x.coi", bytes));
    std::remove(path.c_str());
}
