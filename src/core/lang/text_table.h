#pragma once
// The texts of one language pack and the reader that builds them.
//
// A pack is an INI file whose section "String" holds one "key=text" line per
// text. The key is everything before the first "=" (a text may contain "="),
// keys are case-sensitive, the first line of a key wins, and lines without
// "=" or with nothing before it are ignored. The section is read as the platform's section reader reads
// it into a buffer of 1048576 UTF-16 units, so a larger section is cut there.
#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Key to text, both UTF-8. std::less<> lets lookups take a string_view.
using TextTable = std::map<std::string, std::string, std::less<>>;

// Size of the section buffer, in UTF-16 units, line terminators included.
inline constexpr std::size_t kPackSectionUnits = 1048576;

// The section's lines as they fit into the buffer: each line takes its
// length plus one terminator and the buffer keeps one more for the end of
// the data; the line that does not fit whole is cut at the buffer's end and
// nothing after it is kept.
std::vector<std::string> CutToSectionBuffer(std::vector<std::string> lines);

// Builds the table from the section's lines, in file order.
TextTable ParsePackLines(const std::vector<std::string>& lines);

// Builds the table from a pack's whole text (already decoded to UTF-8): its
// section "String", cut to the buffer. No section gives an empty table.
TextTable ParsePackText(std::string_view text);

// Reads the pack at path (UTF-8, or UTF-16LE with a byte-order mark). A
// missing or unreadable file, or one without section "String", gives an empty
// table. May throw std::bad_alloc.
TextTable ReadPackFile(const std::string& path);
