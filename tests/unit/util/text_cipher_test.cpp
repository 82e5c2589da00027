// The text cipher: round trips and every rule that must refuse a text.
#include "util/text_cipher.h"
#include "util/tool.h"

#include <gtest/gtest.h>

namespace {

std::string Enciphered(std::string text) {
    EXPECT_EQ(Tool::EncryptText(text), 1);
    return text;
}

} // namespace

TEST(TextCipher, SeventeenBytesTakeTwoBlocksAndComeBack) {
    const std::string plain = "C0001C0002C0003C0";
    ASSERT_EQ(plain.size(), 17u);
    const std::string cipher = Enciphered(plain);
    EXPECT_EQ(cipher.size(), 64u);
    EXPECT_EQ(cipher.find_first_not_of("0123456789ABCDEF"), std::string::npos);
    std::string text = cipher;
    // 17 characters is not a list of five-character codes.
    EXPECT_EQ(Tool::DecryptText(text), -1);
    EXPECT_EQ(text, cipher);
    // The block operation itself gives both blocks back.
    EXPECT_EQ(cipher::DecryptBlock(std::string_view(cipher).substr(0, 32)), "C0001C0002C0003C");
    EXPECT_EQ(cipher::DecryptBlock(std::string_view(cipher).substr(32)), "0");
}

TEST(TextCipher, CustomerCodesRoundTrip) {
    const std::string codes = "C0001C0002C0003C0004";
    std::string text = Enciphered(codes);
    EXPECT_EQ(text.size(), 64u);
    EXPECT_EQ(Tool::DecryptText(text), 1);
    EXPECT_EQ(text, codes);

    // Lower-case hexadecimal deciphers as well.
    std::string lower = Enciphered("C0000");
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    EXPECT_EQ(Tool::DecryptText(lower), 1);
    EXPECT_EQ(lower, "C0000");

    // Five characters outside ASCII count as five.
    const std::string wide = "\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD";
    std::string wideText = Enciphered(wide);
    EXPECT_EQ(wideText.size(), 32u);
    EXPECT_EQ(Tool::DecryptText(wideText), 1);
    EXPECT_EQ(wideText, wide);
}

TEST(TextCipher, NineDecipheredCharactersAreRefused) {
    const std::string cipher = Enciphered("C0001") + Enciphered("C000");
    ASSERT_EQ(cipher.size(), 64u);
    std::string text = cipher;
    EXPECT_EQ(Tool::DecryptText(text), -1);
    EXPECT_EQ(text, cipher);
}

TEST(TextCipher, TextsThatAreNotOurCipherAreRefusedUnchanged) {
    const std::vector<std::string> refused = {
        "",
        "C0000C0001",                       // plain codes, 10 characters
        std::string(31, 'A'),               // not a whole block
        std::string(32, 'G'),               // not hexadecimal
        std::string(31, 'A') + "\xC3\xA9",  // 32 characters, the last not hexadecimal
        "0123456789ABCDEF0123456789ABCDEF", // another key's block: garbage, refused
        std::string(64, '0'),
    };
    for (const std::string& original : refused) {
        std::string text = original;
        EXPECT_EQ(Tool::DecryptText(text), -1) << original;
        EXPECT_EQ(text, original);
    }
}

TEST(TextCipher, EncryptRefusesEmptyAndNonTextInput) {
    for (const std::string& original : {std::string(), std::string("\xFF\xFE"), std::string("a\0b", 3)}) {
        std::string text = original;
        EXPECT_EQ(Tool::EncryptText(text), -1);
        EXPECT_EQ(text, original);
    }
    // Exactly one block, and a text of 16 bytes needs no padding block.
    EXPECT_EQ(Enciphered(std::string(16, 'x')).size(), 32u);
    EXPECT_EQ(Enciphered(std::string(32, 'x')).size(), 64u);
}
