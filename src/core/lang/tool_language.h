#pragma once
// Tool helpers of the language tables: choosing and loading a pack, turning
// failure codes into texts, and filling a pack text used as a format.
#include <string>
#include <string_view>

namespace Tool {

// Loads the pack of LanguageTable row index from
// programFolder + "Config File/Lang/" through the calling thread's CLanguage.
// A missing pack silently falls back to row 0, "eng.lang". An index outside
// 0..25 does nothing. programFolder ends in a separator (GetProgramFolder).
// Returns CLanguage::Load's result, 0 when the index is out of range.
int LoadLanguage(int index, const std::string& programFolder);

// Socket preparation failures of the search: index = code + 8, so 0..7 for
// codes -8..-1. Stores the code's text in text; index 0 (code -8) has no key
// and gives an empty text; an index outside 0..7 leaves text unchanged.
void SocketErrorText(int index, std::string& text);

// Login failures: index = error code + 1, so 0..17 for codes -1..16 (12 and
// up are the SDK's own findings: connection full, a device of protocol
// version 1, a user name over 95 bytes, a key cost out of range, no common
// protocol version). Stores the code's text in text; codes 0, 8 and 10 have
// no key and leave text as the caller prepared it, as does an index outside
// 0..17.
inline constexpr int kLoginErrorTextCount = 18;
void LoginErrorText(int index, std::string& text);

// Fills a pack text used as a format ("info.login_fail_s",
// "strContainIllegalChar") with its one argument. Only the first "%s" is
// replaced, by the argument as it is; every other character, "%" sequences
// included ("%%", "%d", "%n", a second "%s"), is kept literally. A format
// without "%s" is returned unchanged. Pack texts are never handed to a
// printf-style function: a pack is data from outside the program.
std::string FormatText(std::string_view format, std::string_view argument);

} // namespace Tool
