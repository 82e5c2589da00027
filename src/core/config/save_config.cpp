// The settings written back when the user changes them, one save per setting.
#include "config/app_config.h"
#include "ini/ini_file.h"
#include "lang/language_table.h"

#include <algorithm>
#include <string>

namespace {

bool IsLanguageIndex(int index) {
    return index >= 0 && static_cast<std::size_t>(index) < LanguageTable.size();
}

} // namespace

bool SaveLanguage(AppConfig& config, int languageIndex) {
    if (!IsLanguageIndex(languageIndex)) {
        return false;
    }
    config.LanguageIndex = languageIndex;
    return ini::WriteString(config.ConfigPath, "LANGUAGE_CFG", "Default",
                            LanguageTable[static_cast<std::size_t>(languageIndex)].Name);
}

bool SaveSearchParams(AppConfig& config, bool enabled, int minutes) {
    config.PeriodicSearch = enabled;
    config.SearchPeriodMinutes = minutes;
    // The flag and its period belong together: one save, so no other
    // program's save can come between them.
    return ini::WriteStrings(
        config.ConfigPath, "SEARCH_CFG",
        {{"Periodic_Search", enabled ? "1" : "0"}, {"Sel_Time", std::to_string(minutes)}});
}

bool SaveSearchInterfaces(AppConfig& config, const std::vector<std::string>& names) {
    config.SearchInterfaces.clear();
    std::string text;
    for (const std::string& name : names) {
        if (name.empty() || name.find('|') != std::string::npos ||
            std::find(config.SearchInterfaces.begin(), config.SearchInterfaces.end(), name) !=
                config.SearchInterfaces.end()) {
            continue;
        }
        text += (text.empty() ? "" : "|") + name;
        config.SearchInterfaces.push_back(name);
    }
    return ini::WriteString(config.ConfigPath, "SEARCH_CFG", "Interfaces", text);
}

bool SaveDevInfoMask(AppConfig& config, uint32_t mask) {
    config.DevInfoMask = mask;
    return ini::WriteString(config.ConfigPath, "DEVINFO_CFG", "Dev_Info",
                            std::to_string(static_cast<int32_t>(mask)));
}
