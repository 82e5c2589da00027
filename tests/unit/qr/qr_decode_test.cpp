// A real decoder reads back every picture we write: texts of every mode mix
// and every length the device list can hand over.
#include "qr/qr_encoder.h"
#include "qr/qr_image.h"
#include "qr_picture_reader.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <unistd.h>

namespace {

class QrDecodeTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = std::filesystem::temp_directory_path() / ("qr_decode_" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_folder);
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    // Writes the picture and decodes it; the decoded bytes, or a note.
    std::string RoundTrip(const std::string& text) {
        const std::string path = (m_folder / "qr.bmp").string();
        if (Tool::WriteQrImage(text, path) != 0) {
            return "<not written>";
        }
        const auto bytes = qrtest::ReadFileBytes(path);
        const auto picture = bytes ? qrtest::ParseBitmap(*bytes) : std::nullopt;
        if (!picture) {
            return "<not a bitmap>";
        }
        return qrtest::DecodeWithZbar(*picture).value_or("<not decoded>");
    }

    std::filesystem::path m_folder;
};

std::string RandomText(std::mt19937& random, std::size_t length, std::string_view alphabet) {
    std::string text;
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    for (std::size_t i = 0; i < length; ++i) {
        text += alphabet[pick(random)];
    }
    return text;
}

// Runs of digits, upper-case letters and lower-case letters of random
// lengths: the mixes that both merge passes work on.
std::string MixedRuns(std::mt19937& random, std::size_t length) {
    static constexpr std::string_view kAlphabets[] = {
        "0123456789", "ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:", "abcdefghijklmnopqrstuvwxyz_@#!"};
    std::string text;
    std::uniform_int_distribution<int> alphabet(0, 2);
    std::uniform_int_distribution<std::size_t> runLength(1, 9);
    while (text.size() < length) {
        text += RandomText(random, std::min(runLength(random), length - text.size()),
                           kAlphabets[alphabet(random)]);
    }
    return text;
}

TEST_F(QrDecodeTest, EveryLengthAndModeMixDecodes) {
    std::mt19937 random(20261207);
    for (std::size_t length = 1; length <= 127; ++length) {
        const std::string texts[] = {
            RandomText(random, length, "0123456789"),
            RandomText(random, length, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:"),
            RandomText(random, length, "abcdefghijklmnopqrstuvwxyz"),
            MixedRuns(random, length),
        };
        for (const std::string& text : texts) {
            EXPECT_EQ(RoundTrip(text), text) << "length " << length;
        }
    }
}

TEST_F(QrDecodeTest, BytesOfEveryValueDecode) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte(1, 255);
    for (std::size_t length = 1; length <= 127; length += 3) {
        std::string text;
        for (std::size_t i = 0; i < length; ++i) {
            text += static_cast<char>(byte(random));
        }
        EXPECT_EQ(RoundTrip(text), text) << "length " << length;
    }
}

TEST_F(QrDecodeTest, KanjiRunsDecode) {
    // Shift JIS pairs, alone and between runs of other modes.
    const std::string kanji = "\x88\x9F\x93\xFA\x96\x7B\xE0\x40\xEA\xA4";
    for (const std::string& text : {kanji, "ID" + kanji + "12345", "abc" + kanji + kanji + "XYZ9"}) {
        EXPECT_EQ(RoundTrip(text), text);
    }
}

// From version 1 up, so that every fill level of every small symbol occurs:
// streams that end exactly at the capacity, a terminator cut short, a
// terminator that starts a new codeword.
TEST_F(QrDecodeTest, EveryFillLevelFromVersionOneDecodes) {
    const std::string path = (m_folder / "v1.bmp").string();
    for (std::size_t length = 1; length <= 80; ++length) {
        for (const char fill : {'7', 'Q', 'q'}) {
            const std::string text(length, fill);
            int version = 1;
            int width = 21;
            int height = 21;
            qr::QrEncoder encoder;
            ASSERT_EQ(encoder.EncodeData(path, text, version, width, height), 0);
            const auto picture = qrtest::ParseBitmap(*qrtest::ReadFileBytes(path));
            ASSERT_TRUE(picture);
            EXPECT_EQ(qrtest::DecodeWithZbar(*picture).value_or("<not decoded>"), text)
                << "length " << length << " version " << version;
        }
    }
}

// Texts longer than the device list hands over reach the larger versions
// and the longer count indicators of version groups 2 and 3.
TEST_F(QrDecodeTest, LargerVersionGroupsDecode) {
    std::mt19937 random(3);
    const std::string path = (m_folder / "big.bmp").string();
    const std::string texts[] = {
        RandomText(random, 150, "abcdefghijklmnopqrstuvwxyz"),            // group 2, 16-bit byte count
        RandomText(random, 900, "0123456789"),                            // group 2 numeric
        MixedRuns(random, 400),                                           // group 2 mixed
        RandomText(random, 1500, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"), // group 3
        RandomText(random, 1600, "abcdefghijklmnopqrstuvwxyz"),           // version 40
    };
    for (const std::string& text : texts) {
        int version = 4;
        int width = 33;
        int height = 33;
        qr::QrEncoder encoder;
        ASSERT_EQ(encoder.EncodeData(path, text, version, width, height), 0) << text.size();
        const auto picture = qrtest::ParseBitmap(*qrtest::ReadFileBytes(path));
        ASSERT_TRUE(picture);
        EXPECT_EQ(qrtest::DecodeWithZbar(*picture, 3).value_or("<not decoded>"), text)
            << "length " << text.size() << " version " << version;
    }
}

TEST_F(QrDecodeTest, CloudIdsOfTheDeviceListDecode) {
    for (const std::string text :
         {"ABC123", "1234567890", "a1", "A1B2", "HV0123456789ABCDEF", "cloud-id_42"}) {
        EXPECT_EQ(RoundTrip(text), text);
    }
}

} // namespace
