#include "support/device_match.h"

#include <cctype>

namespace {

char Upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

std::string WithoutMacSeparators(std::string_view text) {
    std::string kept;
    for (const char c : text) {
        if (c != ':' && c != '-') {
            kept += Upper(c);
        }
    }
    return kept;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())) != 0) {
        text.remove_prefix(1);
    }
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())) != 0) {
        text.remove_suffix(1);
    }
    return text;
}

} // namespace

std::string MacKey(std::string_view text) {
    std::string kept;
    for (const char c : text) {
        if (std::isxdigit(static_cast<unsigned char>(c)) != 0) {
            kept += Upper(c);
        }
    }
    return kept;
}

bool GlobMatch(std::string_view pattern, std::string_view text) {
    // Greedy with one back-track point: the last '*' seen.
    std::size_t p = 0;
    std::size_t t = 0;
    std::size_t star = std::string_view::npos;
    std::size_t resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = t;
        } else if (p < pattern.size() && Upper(pattern[p]) == Upper(text[t])) {
            ++p;
            ++t;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

bool MatchesDevice(std::string_view pattern, std::string_view ip, std::string_view mac,
                   std::string_view model) {
    return GlobMatch(pattern, ip) || GlobMatch(WithoutMacSeparators(pattern), WithoutMacSeparators(mac)) ||
           GlobMatch(pattern, model);
}

bool ParseMacList(std::string_view text, std::vector<std::string>& macs, std::string& error) {
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = Trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++lineNumber;
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const std::string digits = WithoutMacSeparators(line);
        if (digits.size() != 12 || MacKey(digits) != digits) {
            error =
                "line " + std::to_string(lineNumber) + ": \"" + std::string(line) + "\" is not a MAC address";
            return false;
        }
        macs.emplace_back(line);
    }
    return true;
}
