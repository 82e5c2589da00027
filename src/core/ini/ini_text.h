#pragma once
// The pure part of the INI store: decoding a file's bytes and reading or
// editing its text. No file access here, so the fuzzer and the tests can
// drive every rule with plain strings.
//
// Rules, as the platform's private-profile functions have them:
// - lines end at '\n'; blanks (space, tab, CR, VT, FF) around a line, a name
//   or a value do not count;
// - "[name]" starts a section (text after the first ']' is ignored, a line
//   starting with '[' but without ']' is ignored entirely); lines before the
//   first section belong to no section;
// - "name=value" splits at the first '='; a line starting with ';' is a
//   comment; a line without '=' names a key that has no value;
// - section and key names match without regard to ASCII case, and only the
//   first section of a name and the first key of a name in it count;
// - a value enclosed in a matching pair of double or single quotes is read
//   without them.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ini {

enum class FileEncoding { Utf8, Utf8WithBom, Utf16Le, Utf16Be };

struct DecodedText {
    std::string text; // UTF-8, without byte-order mark
    FileEncoding encoding = FileEncoding::Utf8;
};

// Skips a UTF-8 byte-order mark; converts UTF-16 with a byte-order mark.
// Text without a mark is taken as UTF-8 bytes as they are.
DecodedText DecodeBytes(std::string_view bytes);

// The value of section/key; nullopt when the section or key is missing or the
// key has no '='.
std::optional<std::string> FindValue(std::string_view text, std::string_view section, std::string_view key);

// The lines of the first section of that name, in file order, as
// "name=value" (blanks around name and value removed) or the bare line text;
// blank and comment lines are left out. Each line counts its length plus one
// terminator against maxBytes; the line that does not fit is cut (at a
// character boundary) and ends the list.
std::vector<std::string> SectionLines(std::string_view text, std::string_view section, std::size_t maxBytes);

// True when section, key and value can be written without changing the
// file's structure: no line breaks or zero bytes, non-empty names without
// surrounding blanks, no ']' in the section name, no '=' in the key and a key
// that does not start with ';' or '['.
bool IsWritable(std::string_view section, std::string_view key, std::string_view value);

// The text with section/key set to value: the value of the first such key is
// replaced in place; a missing key is added after the last line of the
// section; a missing section is appended at the end. Every other byte stays.
// nullopt when IsWritable is false.
std::optional<std::string> SetValue(std::string_view text, std::string_view section, std::string_view key,
                                    std::string_view value);

} // namespace ini
