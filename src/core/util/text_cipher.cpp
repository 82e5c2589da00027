#include "util/text_cipher.h"

#include "util/tool.h"
#include "util/utf.h"

#include <algorithm>
#include <array>
#include <memory>
#include <openssl/evp.h>

namespace cipher {

namespace {

// The key is part of the program: the cipher keeps configuration values from
// being read or edited casually, it does not protect them from the program's
// users.
constexpr std::array<unsigned char, 16> kKey = {0x3a, 0x91, 0x5c, 0x07, 0xe4, 0x2b, 0xd8, 0x66,
                                                0x1f, 0xb0, 0x73, 0xc9, 0x48, 0x0d, 0xa5, 0xee};

using Block = std::array<unsigned char, kBlockBytes>;

struct ContextDeleter {
    void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};

// One AES-128 block operation, without padding.
std::optional<Block> Transform(const Block& input, bool encrypt) {
    const std::unique_ptr<EVP_CIPHER_CTX, ContextDeleter> context(EVP_CIPHER_CTX_new());
    if (!context ||
        EVP_CipherInit_ex(context.get(), EVP_aes_128_ecb(), nullptr, kKey.data(), nullptr, encrypt ? 1 : 0) !=
            1 ||
        EVP_CIPHER_CTX_set_padding(context.get(), 0) != 1) {
        return std::nullopt;
    }
    Block output{};
    int length = 0;
    if (EVP_CipherUpdate(context.get(), output.data(), &length, input.data(),
                         static_cast<int>(input.size())) != 1 ||
        length != static_cast<int>(output.size())) {
        return std::nullopt;
    }
    int finalLength = 0;
    if (EVP_CipherFinal_ex(context.get(), output.data() + length, &finalLength) != 1 || finalLength != 0) {
        return std::nullopt;
    }
    return output;
}

} // namespace

std::optional<std::string> EncryptBlock(std::string_view block) {
    if (block.size() > kBlockBytes) {
        return std::nullopt;
    }
    Block plain{};
    std::copy(block.begin(), block.end(), plain.begin());
    const std::optional<Block> enciphered = Transform(plain, true);
    if (!enciphered) {
        return std::nullopt;
    }
    constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(kBlockChars);
    for (const unsigned char byte : *enciphered) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

std::optional<std::string> DecryptBlock(std::string_view text) {
    if (text.size() != kBlockChars) {
        return std::nullopt;
    }
    Block enciphered{};
    for (std::size_t i = 0; i < kBlockBytes; ++i) {
        const int high = Tool::HexDigitValue(text[2 * i]);
        const int low = Tool::HexDigitValue(text[2 * i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        enciphered[i] = static_cast<unsigned char>((high << 4) | low);
    }
    const std::optional<Block> plain = Transform(enciphered, false);
    if (!plain) {
        return std::nullopt;
    }
    const auto zero = std::find(plain->begin(), plain->end(), 0);
    // Every enciphered block was zero-padded; anything after the first zero
    // means the text was not enciphered by this program.
    if (std::any_of(zero, plain->end(), [](unsigned char byte) { return byte != 0; })) {
        return std::nullopt;
    }
    return std::string(plain->begin(), zero);
}

} // namespace cipher

namespace Tool {

int EncryptText(std::string& text) {
    if (text.empty()) {
        return -1;
    }
    // Normalised as wide text and back: text that is not UTF-8 has no wide
    // form. A zero byte would end its block early and not come back.
    const std::string normalised = ToUtf8(FromUtf8(text));
    if (normalised.empty() || normalised.find('\0') != std::string::npos) {
        return -1;
    }
    std::string result;
    for (std::size_t pos = 0; pos < normalised.size(); pos += cipher::kBlockBytes) {
        const std::optional<std::string> block =
            cipher::EncryptBlock(std::string_view(normalised).substr(pos, cipher::kBlockBytes));
        if (!block) {
            return -1;
        }
        result += *block;
    }
    text = std::move(result);
    return 1;
}

int DecryptText(std::string& text) {
    if (text.empty() || Utf16Length(text) % cipher::kBlockChars != 0) {
        return -1;
    }
    std::string result;
    for (std::size_t pos = 0; pos < text.size(); pos += cipher::kBlockChars) {
        const std::optional<std::string> block =
            cipher::DecryptBlock(std::string_view(text).substr(pos, cipher::kBlockChars));
        if (!block) {
            return -1;
        }
        result += *block;
    }
    // The deciphered content is a list of five-character codes: an empty or
    // otherwise sized result, or one that is not text, is not taken.
    if (result.empty() || !utf::IsValid(result) || Utf16Length(result) % 5 != 0) {
        return -1;
    }
    text = std::move(result);
    return 1;
}

} // namespace Tool
