#pragma once
// The block cipher behind Tool::EncryptText and Tool::DecryptText: a block of
// up to 16 bytes becomes a text of 32 hexadecimal characters and back.
// AES-128 with a key built into the program.
#include <optional>
#include <string>
#include <string_view>

namespace cipher {

inline constexpr std::size_t kBlockBytes = 16;
inline constexpr std::size_t kBlockChars = 32;

// Enciphers up to 16 bytes (zero-padded to a full block) into 32 upper-case
// hexadecimal characters; nullopt when the cipher library fails.
std::optional<std::string> EncryptBlock(std::string_view block);

// Deciphers 32 hexadecimal characters (either case) into the block that was
// enciphered, cut at its first zero byte. nullopt when the text is not 32
// hexadecimal characters or does not decipher to a zero-padded block, which
// is what a text enciphered with another key gives.
std::optional<std::string> DecryptBlock(std::string_view text);

} // namespace cipher
