// Fuzz target for the language pack reader: any bytes, taken as a pack file's
// content, must give a table that keeps the reader's rules, and must survive
// being used as a format text.
#include "fuzz_check.h"
#include "ini/ini_text.h"
#include "lang/text_table.h"
#include "lang/tool_language.h"
#include "util/utf.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The same decoding the file reader applies (byte-order marks, UTF-16LE).
    const ini::DecodedText decoded = ini::DecodeBytes(bytes);
    const TextTable table = ParsePackText(decoded.text);

    std::size_t units = 0;
    for (const auto& [key, text] : table) {
        // A key is what stands before the first "=": never empty, never holding "=".
        Check(!key.empty());
        Check(key.find('=') == std::string::npos);
        units += utf::Utf16Length(key) + 1 + utf::Utf16Length(text) + 1;
    }
    // Everything kept came out of the section buffer.
    Check(units <= kPackSectionUnits - 1);

    // A pack text used as a format: only the first "%s" is filled.
    const std::string formatted = Tool::FormatText(decoded.text, "<arg>");
    const bool hasSlot = decoded.text.find("%s") != std::string::npos;
    Check(formatted.size() == decoded.text.size() + (hasSlot ? 3 : 0));
    return 0;
}
