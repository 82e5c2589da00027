#pragma once
// The resolutions the channel editor offers, read from the bit-rate file
// "Encode.ini": section "ENCODE", key "Resolution", a list of "id,name"
// entries separated by "|" (a "|" after the last entry is optional).
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace capacity {

// Resolution id -> display name, in ascending id order.
using ResolutionList = std::map<int32_t, std::string>;

// Ids and names are at most 31 bytes; longer tokens are cut there.
inline constexpr std::size_t kMaxResolutionTokenBytes = 31;
// The value is read with room for this many characters.
inline constexpr std::size_t kMaxResolutionValueChars = 524287;

// Scans the value: "," ends an id (read as a base-10 integer: leading blanks
// skipped, text after the digits ignored, no digits gives 0), "|" ends a
// name, which is listed under the last id seen (-1 before any); a non-empty
// name after the last separator counts too. An id listed twice keeps its
// first name.
ResolutionList ParseResolutionList(std::string_view value);

// Reads and parses the value from the file; a missing file, section or key
// gives an empty list.
ResolutionList LoadResolutionList(const std::string& encodeIniPath);

} // namespace capacity
