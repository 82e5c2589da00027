#pragma once
// Private-profile ("INI") access with the usual Windows semantics: sections and
// keys match without regard to ASCII case, the first occurrence of a section
// or key counts, a missing file, section or key gives the default, and a write
// replaces or adds one key in place and keeps every other byte of the file.
// Writes are atomic (platform/atomic_file.h: temporary file, flush, rename):
// a crash or a failed rename leaves the old file whole. Every save reads,
// edits and replaces the file under an advisory lock (flock) of its folder,
// so concurrent saves of different keys keep both. Files are UTF-8 (a UTF-8 byte-order mark
// is skipped); UTF-16LE (and UTF-16BE) with a byte-order mark is read too and
// converted to UTF-8 when written. Never throws; bad input gives defaults.
// A file that cannot be read (a folder, a device, no permission, larger than
// 64 MiB) reads as missing and is never replaced by a write. A write through a
// symbolic link updates the file it points to. The pure rules are in
// ini/ini_text.h.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ini {

// Reads a whole file as UTF-8 text; nullopt when it is missing or unreadable.
std::optional<std::string> ReadFileText(const std::string& path);

// Value of section/key, cut to maxChars UTF-16 units; the default when missing.
std::string GetString(const std::string& path, std::string_view section, std::string_view key,
                      std::string_view defaultValue = {}, std::size_t maxChars = 2999);
// Decimal integer (leading digits, saturating); the default when missing.
int GetInt(const std::string& path, std::string_view section, std::string_view key, int defaultValue);

// The lines of a section in file order, as the platform's section reader
// gives them ("key=value" or any other line text; blank lines and comment
// lines starting with ';' are skipped), cut to maxBytes of text in all.
std::vector<std::string> GetSectionLines(const std::string& path, std::string_view section,
                                         std::size_t maxBytes);

// Writes one key; false when the file could not be written (the old file is
// then left as it was). Creates the file when its folder exists.
bool WriteString(const std::string& path, std::string_view section, std::string_view key,
                 std::string_view value);
// Writes several keys of one section in one save: all or none.
bool WriteStrings(const std::string& path, std::string_view section,
                  const std::vector<std::pair<std::string, std::string>>& keys);

// Removes the temporary files an interrupted save left beside the file
// (under the lock, so no running save loses its own); returns how many.
// Only this program's own temporaries (".<name>.tmp-" and six characters)
// go: a user's "Config.ini.backup" stays.
int RemoveStaleTemporaries(const std::string& path);

} // namespace ini
