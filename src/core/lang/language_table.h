#pragma once
// The languages the program knows, in the order that gives each its index
// (the configured language index, the language page, the language-refresh
// message all use the row index).
#include <array>
#include <cstddef>
#include <string>

struct LangEntry {
    int Id;           // equal to the row index
    std::string Name; // display name, UTF-8; stored as the configured language
    std::string File; // pack file name in "Config File/Lang/", used exactly as written
};

inline constexpr std::size_t kLanguageCount = 26;

// Row 0 is English, the fallback when a chosen pack is missing.
extern const std::array<LangEntry, 26> LanguageTable;
