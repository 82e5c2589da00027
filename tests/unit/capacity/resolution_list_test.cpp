// The "Encode.ini" reader and its token rules.
#include "capacity/bitrate_table.h"
#include "capacity/resolution_list.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using capacity::ParseResolutionList;
using capacity::ResolutionList;

TEST(ResolutionList, EntriesWithAndWithoutTheLastSeparator) {
    EXPECT_EQ(ParseResolutionList("0,D1|9,720P|10,1080P|"),
              (ResolutionList{{0, "D1"}, {9, "720P"}, {10, "1080P"}}));
    const ResolutionList list = ParseResolutionList("0,D1|10,1080P");
    EXPECT_EQ(list, (ResolutionList{{0, "D1"}, {10, "1080P"}}));
    // The editor selects the last entry: the highest id.
    EXPECT_EQ(list.rbegin()->second, "1080P");
    // Listed out of order, shown in id order.
    EXPECT_EQ(ParseResolutionList("10,1080P|0,D1|").begin()->second, "D1");
}

TEST(ResolutionList, AnIdListedTwiceKeepsItsFirstName) {
    EXPECT_EQ(ParseResolutionList("10,1080P|10,Other|"), (ResolutionList{{10, "1080P"}}));
}

TEST(ResolutionList, IdsAreReadAsLeadingDecimalDigits) {
    EXPECT_EQ(ParseResolutionList(" 12abc,Name|"), (ResolutionList{{12, "Name"}}));
    EXPECT_EQ(ParseResolutionList("x,Malformed|"), (ResolutionList{{0, "Malformed"}}));
    EXPECT_EQ(ParseResolutionList(",NoDigits|"), (ResolutionList{{0, "NoDigits"}}));
    EXPECT_EQ(ParseResolutionList("-3,Negative|"), (ResolutionList{{-3, "Negative"}}));
    EXPECT_EQ(ParseResolutionList("99999999999,Big|"), (ResolutionList{{2147483647, "Big"}}));
}

TEST(ResolutionList, NamesGoUnderTheLastIdSeen) {
    // Before any id the current id is -1.
    EXPECT_EQ(ParseResolutionList("Lonely|"), (ResolutionList{{-1, "Lonely"}}));
    // A name without its own id repeats the previous id and is dropped.
    EXPECT_EQ(ParseResolutionList("3,CIF|QCIF|"), (ResolutionList{{3, "CIF"}}));
    // The later of two ids before a name wins.
    EXPECT_EQ(ParseResolutionList("1,2,Two|"), (ResolutionList{{2, "Two"}}));
    // Blanks inside names are kept.
    EXPECT_EQ(ParseResolutionList("20,1080P Lite"), (ResolutionList{{20, "1080P Lite"}}));
}

TEST(ResolutionList, EmptyTokens) {
    EXPECT_TRUE(ParseResolutionList("").empty());
    // An empty value after the last separator is not a name.
    EXPECT_TRUE(ParseResolutionList("5,").empty());
    EXPECT_EQ(ParseResolutionList("0,D1||"), (ResolutionList{{0, "D1"}}));
}

TEST(ResolutionList, TokensAreCutAt31Bytes) {
    const std::string longName(40, 'N');
    EXPECT_EQ(ParseResolutionList("7," + longName + "|"), (ResolutionList{{7, std::string(31, 'N')}}));
    EXPECT_EQ(ParseResolutionList("7," + longName), (ResolutionList{{7, std::string(31, 'N')}}));
    // An id token is cut before it is read.
    EXPECT_EQ(ParseResolutionList(std::string(31, ' ') + "9,Cut|"), (ResolutionList{{0, "Cut"}}));
    // A cut never splits a multi-byte character.
    const std::string accented = std::string(30, 'a') + "\xC3\xA9" + "b";
    EXPECT_EQ(ParseResolutionList("1," + accented), (ResolutionList{{1, std::string(30, 'a')}}));
}

class EncodeIniFile : public ::testing::Test {
protected:
    void SetUp() override {
        m_path = std::filesystem::temp_directory_path() / ("encode_" + std::to_string(::getpid()) + ".ini");
    }
    void TearDown() override { std::filesystem::remove(m_path); }
    void Write(const std::string& text) { std::ofstream(m_path, std::ios::binary) << text; }

    std::filesystem::path m_path;
};

TEST_F(EncodeIniFile, ReadsTheResolutionKeyOfTheEncodeSection) {
    Write("[OTHER]\r\nResolution=1,Wrong|\r\n[encode]\r\nresolution=0,D1|10,1080P|\r\n");
    EXPECT_EQ(capacity::LoadResolutionList(m_path.string()), (ResolutionList{{0, "D1"}, {10, "1080P"}}));
}

TEST_F(EncodeIniFile, MissingFileSectionOrKeyGivesAnEmptyList) {
    EXPECT_TRUE(capacity::LoadResolutionList(m_path.string()).empty());
    Write("[ENCODE]\nOther=0,D1|\n");
    EXPECT_TRUE(capacity::LoadResolutionList(m_path.string()).empty());
}

TEST(ShippedEncodeIni, ListsIds0To29UnderTheirCanonicalNames) {
    const char* bin = std::getenv("CORVANE_BIN_DIR");
    ASSERT_NE(bin, nullptr);
    const ResolutionList list =
        capacity::LoadResolutionList(std::string(bin) + "/Config File/Config/Encode.ini");
    ASSERT_EQ(list.size(), 30U);
    for (int id = 0; id < 30; ++id) {
        ASSERT_EQ(list.count(id), 1U) << id;
        EXPECT_EQ(list.at(id), capacity::CanonicalResolutionName(id));
    }
}

} // namespace
