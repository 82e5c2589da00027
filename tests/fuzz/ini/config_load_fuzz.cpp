// Drives the configuration load with arbitrary Config.ini bytes: whatever the
// file holds, the load ends with values inside their ranges.
#include "config/app_config.h"
#include "ini/ini_text.h"
#include "lang/language_table.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    AppConfig config;
    ApplyConfigText(config, ini::DecodeBytes(bytes).text);
    const bool valid =
        config.LanguageIndex >= 0 && static_cast<std::size_t>(config.LanguageIndex) < LanguageTable.size() &&
        config.CustomerCodes.size() <= kMaxCustomerBytes &&
        (config.DevInfoMask & kForcedDevInfoBits) == kForcedDevInfoBits &&
        (config.ShowModel || (config.DevInfoMask & kModelColumnBit) == 0) &&
        (!config.ModifyMode || config.ShowModel) &&
        (!config.PeriodicSearch || (!config.PeriodChoices.empty() && config.SearchPeriodMinutes > 0));
    if (!valid) {
        std::abort();
    }
    for (const LanguageChoice& choice : config.LanguageChoices) {
        if (choice.File.size() > 31) {
            std::abort();
        }
    }
    return 0;
}
