#include "lang/tool_language.h"

#include "lang/language.h"
#include "lang/language_table.h"
#include "platform/paths.h"

#include <filesystem>
#include <system_error>

namespace Tool {

int LoadLanguage(int index, const std::string& programFolder) {
    if (index < 0 || index >= static_cast<int>(LanguageTable.size())) {
        return 0;
    }
    const std::string folder = programFolder + "Config File" + kPathSeparator + "Lang" + kPathSeparator;
    std::string path = folder + LanguageTable[static_cast<std::size_t>(index)].File;
    // Only a regular file counts as the pack: a folder of that name would
    // otherwise leave every text showing its key.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        path = folder + LanguageTable[0].File;
    }
    return CLanguage::GetInstance().Load(path);
}

std::string FormatText(std::string_view format, std::string_view argument) {
    const std::size_t at = format.find("%s");
    if (at == std::string_view::npos) {
        return std::string(format);
    }
    std::string text;
    text.reserve(format.size() - 2 + argument.size());
    text.append(format.substr(0, at));
    text.append(argument);
    text.append(format.substr(at + 2));
    return text;
}

} // namespace Tool
