#pragma once
// UTF-8 and UTF-16 helpers shared by the text conversions and the INI reader.
// Wide text of the platform's edit fields counts UTF-16 code units, so the
// limits of the program are counted in those units too.
#include <cstddef>
#include <string>
#include <string_view>

namespace utf {

// Code point returned by DecodeNext for bytes that are not valid UTF-8.
inline constexpr char32_t kInvalid = 0xFFFFFFFF;

// Decodes the code point at pos and moves pos past it. Overlong forms,
// surrogates and values above U+10FFFF are invalid; an invalid sequence
// consumes one byte and gives kInvalid. pos must be below text.size().
char32_t DecodeNext(std::string_view text, std::size_t& pos);

bool IsValid(std::string_view utf8);

// Appends the UTF-8 form of a code point (U+FFFD for a value that has none).
void Append(std::string& out, char32_t codePoint);

// Converts UTF-16LE bytes to UTF-8; unpaired surrogates and an odd last byte
// become U+FFFD.
std::string FromUtf16Le(std::string_view bytes);
// Converts UTF-16BE bytes to UTF-8, with the same replacement rules.
std::string FromUtf16Be(std::string_view bytes);

// UTF-16 code units the text takes as wide text; an invalid byte counts as one.
std::size_t Utf16Length(std::string_view utf8);

// Byte length of the longest prefix of utf8 that takes at most maxUnits UTF-16
// code units without splitting a character.
std::size_t PrefixForUtf16Units(std::string_view utf8, std::size_t maxUnits);

// Compares two UTF-8 texts without regard to case, folding the letters of the
// Latin, Greek and Cyrillic alphabets (the scripts whose names the program
// compares); other characters must be equal. Invalid bytes compare as bytes.
bool EqualIgnoringCase(std::string_view a, std::string_view b);

} // namespace utf
