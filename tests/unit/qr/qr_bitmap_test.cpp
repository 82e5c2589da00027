// The picture file: sizes, headers, border, pixel mapping, failures.
#include "qr/qr_bitmap.h"
#include "qr/qr_encoder.h"
#include "qr/qr_image.h"
#include "qr_picture_reader.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace {

class QrBitmapTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = std::filesystem::temp_directory_path() / ("qr_bitmap_" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_folder);
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    std::string PathOf(const std::string& name) const { return (m_folder / name).string(); }

    std::filesystem::path m_folder;
};

TEST_F(QrBitmapTest, VersionFourPictureIs44By43WithExactHeaders) {
    const std::string path = Tool::MakeQrImage("ABC123", m_folder.string() + "/");
    EXPECT_EQ(path, PathOf("QR_temp1.bmp"));
    const auto bytes = qrtest::ReadFileBytes(path);
    ASSERT_TRUE(bytes);
    ASSERT_EQ(bytes->size(), 54U + 44 * 43 * 2);
    const std::vector<uint8_t> headers(bytes->begin(), bytes->begin() + 54);
    const std::vector<uint8_t> expected = {
        'B', 'M', 0xFE, 0x0E, 0,  0, 0, 0, 0,    0,    54, 0, 0, 0, // file: size 3838, offset 54
        40,  0,   0,    0,    44, 0, 0, 0, 43,   0,    0,  0,       // info: 44 x 43, bottom-up
        1,   0,   16,   0,    0,  0, 0, 0, 0xC8, 0x0E, 0,  0, // 1 plane, 16 bits, uncompressed, 3784 bytes
        0,   0,   0,    0,    0,  0, 0, 0, 0,    0,    0,  0, 0, 0, 0, 0};
    EXPECT_EQ(headers, expected);
}

TEST_F(QrBitmapTest, PixelsShowTheModulesInsideAWhiteBorder) {
    const std::string path = PathOf("abc.bmp");
    ASSERT_EQ(Tool::WriteQrImage("ABC123", path), 0);
    const auto picture = qrtest::ParseBitmap(*qrtest::ReadFileBytes(path));
    ASSERT_TRUE(picture);
    qr::QrEncoder encoder;
    ASSERT_TRUE(encoder.Encode("ABC123", 4));
    for (int y = 0; y < picture->height; ++y) {
        for (int x = 0; x < picture->width; ++x) {
            const bool dark = encoder.Matrix().IsDark(x - 5, y - 5);
            EXPECT_EQ(picture->At(x, y), dark ? 0x0821 : 0xFFFF) << x << "," << y;
        }
    }
    // The top-left finder starts at (5, 5) of the picture, top row first.
    EXPECT_EQ(picture->At(5, 5), 0x0821);
    EXPECT_EQ(picture->At(4, 5), 0xFFFF);
}

TEST_F(QrBitmapTest, VersionGrowthKeepsThePixelSizeOfAModule) {
    // 100 lower-case letters need version 8: 49 x 49 modules, 60 x 59 pixels.
    const std::string path = PathOf("v8.bmp");
    ASSERT_EQ(Tool::WriteQrImage(std::string(100, 'q'), path), 0);
    const auto picture = qrtest::ParseBitmap(*qrtest::ReadFileBytes(path));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, 60);
    EXPECT_EQ(picture->height, 59);

    // Two pixels across and three down per module at version 4 stay so at 8.
    int version = 4;
    int width = 66;
    int height = 99;
    qr::QrEncoder encoder;
    ASSERT_EQ(encoder.EncodeData(path, std::string(100, 'q'), version, width, height), 0);
    EXPECT_EQ(version, 8);
    EXPECT_EQ(width, 98);
    EXPECT_EQ(height, 147);
    const auto scaled = qrtest::ParseBitmap(*qrtest::ReadFileBytes(path));
    ASSERT_TRUE(scaled);
    EXPECT_EQ(scaled->width, 108); // 98 + 10
    EXPECT_EQ(scaled->height, 157);
    for (int y = 0; y < 49; ++y) {
        for (int x = 0; x < 49; ++x) {
            const uint16_t expected = encoder.Matrix().IsDark(x, y) ? 0x0821 : 0xFFFF;
            EXPECT_EQ(scaled->At(5 + 2 * x + 1, 5 + 3 * y + 2), expected);
        }
    }
}

TEST_F(QrBitmapTest, OddWidthsAreRoundedUpAndLeftoverPixelsStayWhite) {
    // 40 x 40 pixels for 33 modules: one pixel per module, 7 white pixels
    // beyond the symbol; the picture is 40 + 11 = 51 with the low bit
    // cleared, 50 pixels wide.
    int version = 4;
    int width = 40;
    int height = 40;
    qr::QrEncoder encoder;
    const std::string path = PathOf("odd.bmp");
    ASSERT_EQ(encoder.EncodeData(path, "ABC123", version, width, height), 0);
    const auto picture = qrtest::ParseBitmap(*qrtest::ReadFileBytes(path));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, 50);
    EXPECT_EQ(picture->height, 50);
    for (int y = 0; y < 50; ++y) {
        for (int x = 38; x < 50; ++x) {
            EXPECT_EQ(picture->At(x, y), 0xFFFF);
        }
    }
    // 41 pixels wide gives 41 + 11 = 52.
    width = 41;
    ASSERT_EQ(encoder.EncodeData(path, "ABC123", version, width, height), 0);
    EXPECT_EQ(qrtest::ParseBitmap(*qrtest::ReadFileBytes(path))->width, 52);
}

TEST_F(QrBitmapTest, SameTextGivesAByteIdenticalFile) {
    const std::string text = "Device-0042 cloud id: ab12CD34";
    ASSERT_EQ(Tool::WriteQrImage(text, PathOf("a.bmp")), 0);
    ASSERT_EQ(Tool::WriteQrImage("something else entirely", PathOf("b.bmp")), 0);
    ASSERT_EQ(Tool::WriteQrImage(text, PathOf("b.bmp")), 0);
    EXPECT_EQ(qrtest::ReadFileBytes(PathOf("a.bmp")), qrtest::ReadFileBytes(PathOf("b.bmp")));
}

TEST_F(QrBitmapTest, TextIsCutAt127BytesAndAtAZeroByte) {
    const std::string longText(200, 'k');
    ASSERT_EQ(Tool::WriteQrImage(longText, PathOf("long.bmp")), 0);
    ASSERT_EQ(Tool::WriteQrImage(longText.substr(0, 127), PathOf("cut.bmp")), 0);
    EXPECT_EQ(qrtest::ReadFileBytes(PathOf("long.bmp")), qrtest::ReadFileBytes(PathOf("cut.bmp")));
    ASSERT_EQ(Tool::WriteQrImage(std::string("AB\0CD", 5), PathOf("zero.bmp")), 0);
    ASSERT_EQ(Tool::WriteQrImage("AB", PathOf("ab.bmp")), 0);
    EXPECT_EQ(qrtest::ReadFileBytes(PathOf("zero.bmp")), qrtest::ReadFileBytes(PathOf("ab.bmp")));
    // Nothing left of the text: nothing written.
    EXPECT_EQ(Tool::WriteQrImage(std::string("\0AB", 3), PathOf("none.bmp")), -1);
    EXPECT_FALSE(std::filesystem::exists(PathOf("none.bmp")));
}

TEST_F(QrBitmapTest, EncodingFailureIsLoggedAndLeavesThePreviousPicture) {
    const std::string path = PathOf("QR_temp1.bmp");
    ASSERT_EQ(Tool::WriteQrImage("first", path), 0);
    const auto before = qrtest::ReadFileBytes(path);

    int version = 4;
    int width = 33;
    int height = 33;
    qr::QrEncoder encoder;
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(encoder.EncodeData(path, std::string(1700, 'z'), version, width, height), -1);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "<rvlog> qr.EncodeData failed\n");
    EXPECT_EQ(version, 4);
    EXPECT_EQ(width, 33);
    EXPECT_EQ(qrtest::ReadFileBytes(path), before);
}

TEST_F(QrBitmapTest, BadArgumentsWriteNothingAndLogNothing) {
    qr::QrEncoder encoder;
    int version = 4;
    int width = 33;
    int height = 33;
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(encoder.EncodeData(PathOf("x.bmp"), "", version, width, height), -1);
    EXPECT_EQ(encoder.EncodeData("", "text", version, width, height), -1);
    // Less than one pixel per module, or a version outside 1..40.
    width = 32;
    EXPECT_EQ(encoder.EncodeData(PathOf("x.bmp"), "text", version, width, height), -1);
    width = 33;
    version = 0;
    EXPECT_EQ(encoder.EncodeData(PathOf("x.bmp"), "text", version, width, height), -1);
    version = 4;
    height = qr::kMaxImageSide + 1;
    EXPECT_EQ(encoder.EncodeData(PathOf("x.bmp"), "text", version, width, height), -1);
    // A picture that would grow past the size limit with the symbol.
    width = 33 * 200;
    height = 33 * 200;
    EXPECT_EQ(encoder.EncodeData(PathOf("x.bmp"), std::string(100, 'q'), version, width, height), -1);
    EXPECT_EQ(version, 4);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_FALSE(std::filesystem::exists(PathOf("x.bmp")));
}

TEST_F(QrBitmapTest, UnwritableFolderFailsButStillGivesThePath) {
    const std::string folder = PathOf("missing") + "/";
    EXPECT_EQ(Tool::MakeQrImage("ABC123", folder), folder + "QR_temp1.bmp");
    EXPECT_FALSE(std::filesystem::exists(folder));
    EXPECT_EQ(Tool::WriteQrImage("ABC123", folder + "QR_temp1.bmp"), -1);
    // A folder given without its separator gets one.
    EXPECT_EQ(Tool::MakeQrImage("ABC123", m_folder.string()), PathOf("QR_temp1.bmp"));
    EXPECT_TRUE(std::filesystem::exists(PathOf("QR_temp1.bmp")));
    EXPECT_FALSE(std::filesystem::exists(PathOf("QR_temp1.bmp.tmp")));
}

} // namespace
