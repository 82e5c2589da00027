#pragma once
// Reading conventions of Config.ini values.
#include <string>
#include <string_view>
#include <vector>

namespace config {

// Longest item of a list value, in bytes; longer items are cut there.
inline constexpr std::size_t kMaxListItemBytes = 31;

// A flag is on only when its value is exactly "1".
bool IsFlagOn(std::string_view value);

// Splits a "|"-separated list: an empty item between two bars stays, the
// text after the last bar is an item only when it is not empty (so a trailing
// bar adds nothing). Items are cut to kMaxListItemBytes at a character
// boundary and must be UTF-8 (an item that is not becomes empty).
std::vector<std::string> SplitList(std::string_view value);

} // namespace config
