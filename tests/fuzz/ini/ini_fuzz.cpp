// Drives the INI reader and editor with arbitrary file bytes. Besides not
// crashing, every edit must read back and must leave the other keys as they
// were.
#include "fuzz_check.h"
#include "ini/ini_text.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

struct Probe {
    std::string_view section;
    std::string_view key;
};

constexpr std::array<Probe, 6> kProbes = {{
    {"SETTING", "App_Name"},
    {"setting", "version"},
    {"LANGUAGE_CFG", "Default"},
    {"String", "msg.Msg"},
    {"a", "k"},
    {"A", "K2"},
}};

constexpr std::array<std::string_view, 3> kValues = {"1", "English", "v=x ; [y]"};

bool SameKey(const Probe& a, const Probe& b) {
    const auto equal = [](std::string_view x, std::string_view y) {
        if (x.size() != y.size()) {
            return false;
        }
        for (std::size_t i = 0; i < x.size(); ++i) {
            const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
            if (lower(x[i]) != lower(y[i])) {
                return false;
            }
        }
        return true;
    };
    return equal(a.section, b.section) && equal(a.key, b.key);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const ini::DecodedText decoded = ini::DecodeBytes(bytes);

    for (const std::string_view section : {"String", "SETTING", ""}) {
        for (const std::size_t budget : {std::size_t{0}, std::size_t{7}, std::size_t{1} << 20}) {
            std::size_t used = 0;
            for (const auto& line : ini::SectionLines(decoded.text, section, budget)) {
                used += line.size() + 1;
            }
            Check(used <= budget);
        }
    }

    const std::size_t choice = size > 0 ? data[0] : 0;
    const Probe& target = kProbes[choice % kProbes.size()];
    const std::string_view value = kValues[(choice / kProbes.size()) % kValues.size()];
    const std::optional<std::string> edited = ini::SetValue(decoded.text, target.section, target.key, value);
    Check(edited.has_value());
    Check(ini::FindValue(*edited, target.section, target.key) == value);
    for (const Probe& other : kProbes) {
        if (!SameKey(other, target)) {
            Check(ini::FindValue(*edited, other.section, other.key) ==
                  ini::FindValue(decoded.text, other.section, other.key));
        }
    }
    return 0;
}
