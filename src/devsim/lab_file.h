#pragma once
// Reads and writes lab files (docs/lab-file.md describes the format).
#include "lab.h"

#include <string>
#include <vector>

struct LabFileResult {
    bool ok = false;
    Lab lab;
    std::vector<std::string> warnings; // unknown keys and sections: reported, not fatal
    std::string error;                 // why ok is false
};

LabFileResult ParseLabText(const std::string& text);
LabFileResult ReadLabFile(const std::string& path);
std::string WriteLabText(const Lab& lab);

// Escapes for text values: "\\" and "\xNN" (any byte).
std::string UnescapeLabValue(const std::string& value);
std::string EscapeLabValue(const std::string& value);
