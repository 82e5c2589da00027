// Packs are files from outside the program: whatever they hold, a load ends
// and every lookup gives a text or the key.
#include "lang/language.h"
#include "pack_files.h"

#include <gtest/gtest.h>
#include <random>
#include <string>

namespace {

std::string RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(random() & 0xFF);
    }
    return bytes;
}

// Loads the content, checks lookups give keys or texts, and returns tx.OK's text.
std::string LoadAndLookUp(const PackFolder& folder, const std::string& name, const std::string& content) {
    CLanguage& language = CLanguage::GetInstance();
    EXPECT_EQ(language.Load(folder.Write(name, content)), 1) << name;
    EXPECT_EQ(language.GetText("tx.Missing"), "tx.Missing");
    EXPECT_EQ(language.GetText(""), "");
    return language.GetText("tx.OK");
}

TEST(GarbagePack, BinaryNoSectionAndBrokenEncodings) {
    PackFolder folder;
    EXPECT_EQ(LoadAndLookUp(folder, "random.lang", RandomBytes(256 * 1024, 7)), "tx.OK");
    EXPECT_EQ(LoadAndLookUp(folder, "zeros.lang", std::string(4096, '\0')), "tx.OK");
    EXPECT_EQ(LoadAndLookUp(folder, "empty.lang", ""), "tx.OK");
    EXPECT_EQ(LoadAndLookUp(folder, "nosection.lang", "tx.OK=OK\ntx.Cancel=Cancel\n"), "tx.OK");
    EXPECT_EQ(LoadAndLookUp(folder, "unclosed.lang", "[String\ntx.OK=OK\n"), "tx.OK");
    // Random bytes after a good header: what parses is kept, nothing breaks.
    LoadAndLookUp(folder, "tail.lang", "[String]\ntx.Cancel=Cancel\n" + RandomBytes(64 * 1024, 11));
    // A UTF-16 byte-order mark followed by an odd number of bytes.
    EXPECT_EQ(LoadAndLookUp(folder, "odd16.lang", ToUtf16LeWithBom("[String]\ntx.OK=OK\n") + "\x41"), "OK");
    // Invalid UTF-8 in a text is handed on as it is; the desktop layer
    // replaces it when it converts.
    EXPECT_EQ(LoadAndLookUp(folder, "badutf8.lang", "[String]\ntx.OK=\xC3\x28\xFF\n"), "\xC3\x28\xFF");
    // Zero bytes inside a line stay inside that line.
    EXPECT_EQ(LoadAndLookUp(folder, "nul.lang", std::string("[String]\ntx.OK=a\0b\n", 19)),
              std::string("a\0b", 3));
}

TEST(GarbagePack, MegabyteLines) {
    PackFolder folder;
    const std::string huge(3 * 1024 * 1024, 'x');
    // A key of megabytes, then a normal line the cut leaves out.
    EXPECT_EQ(LoadAndLookUp(folder, "hugekey.lang", "[String]\n" + huge + "=v\ntx.OK=OK\n"), "tx.OK");
    // A text of megabytes is cut to what the buffer holds.
    const std::string text = LoadAndLookUp(folder, "hugetext.lang", "[String]\ntx.OK=" + huge + "\n");
    EXPECT_EQ(text.size(), 1048576u - 2 - 6);
    // A megabyte line before the section does not hide it.
    EXPECT_EQ(LoadAndLookUp(folder, "hugefirst.lang", huge + "\n[String]\ntx.OK=OK\n"), "OK");
    // A line of megabytes without any line break at all.
    EXPECT_EQ(LoadAndLookUp(folder, "noline.lang", "[String]" + huge), "tx.OK");
}

} // namespace
