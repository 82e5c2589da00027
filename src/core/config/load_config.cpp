// LoadConfig: Config.ini into AppConfig, in the order the program has always
// read it.
#include "config/app_config.h"
#include "config/config_location.h"
#include "config/config_values.h"
#include "ini/ini_file.h"
#include "ini/ini_text.h"
#include "lang/language_table.h"
#include "platform/paths.h"
#include "util/tool.h"
#include "util/utf.h"

#include <optional>

namespace {

// Longest text value the load reads, in UTF-16 units, and longest list value.
constexpr std::size_t kMaxTextChars = 2999;
constexpr std::size_t kMaxListChars = 524287;

// The access code that turns on the model modification mode.
constexpr std::string_view kModifyModeCode = "PtYg@mUh^Bel31(El2hp~hYgC+rL1sp&xnyVmih";

// Reads values from the file text the way the private-profile functions do.
class ConfigReader {
public:
    explicit ConfigReader(std::string_view text) : m_text(text) {}

    // Missing and empty are the same thing.
    std::string Text(std::string_view section, std::string_view key,
                     std::size_t maxChars = kMaxTextChars) const {
        const std::optional<std::string> value = ini::FindValue(m_text, section, key);
        if (!value) {
            return {};
        }
        return value->substr(0, utf::PrefixForUtf16Units(*value, maxChars));
    }

    // Decimal integer; an empty or missing value gives the default.
    int Integer(std::string_view section, std::string_view key, int defaultValue) const {
        const std::string value = Text(section, key);
        return value.empty() ? defaultValue : Tool::ToInt(value, 10);
    }

    bool Flag(std::string_view section, std::string_view key) const {
        return config::IsFlagOn(Tool::ToNarrow(Text(section, key)));
    }

private:
    std::string_view m_text;
};

std::string CutCustomerCodes(std::string codes) {
    if (codes.size() <= kMaxCustomerBytes) {
        return codes;
    }
    std::size_t length = kMaxCustomerBytes;
    while (length > 0 && (static_cast<unsigned char>(codes[length]) & 0xC0) == 0x80) {
        --length;
    }
    codes.resize(length);
    return codes;
}

void BuildPaths(AppConfig& config, const std::string& programFolder) {
    const std::string sep(1, kPathSeparator);
    const std::string dataFolder = programFolder + "Config File" + sep;
    config.ConfigPath = ResolveConfigPath(programFolder);
    config.EncodePath = dataFolder + "Config" + sep + "Encode.ini";
    config.SkinFolder = dataFolder + "Skin" + sep;
    config.LogoIconPath = config.SkinFolder + "Logo.ico";
    config.HelpPicturePath = config.SkinFolder + "Help.bmp";
    config.LangFolder = dataFolder + "Lang" + sep;
    std::string qrFolder;
    if (Tool::GetQrFolder(qrFolder) == 1) {
        config.QrFolder = qrFolder;
    }
}

} // namespace

void ApplyConfigText(AppConfig& config, std::string_view text) {
    const ConfigReader reader(text);

    config.AppName = reader.Text("SETTING", "App_Name");
    config.Version = reader.Text("SETTING", "Version");
    config.ReleaseText =
        reader.Text("SETTING", "Release_Data") + "  " + reader.Text("SETTING", "Release_Time");

    const std::string defaultName = reader.Text("LANGUAGE_CFG", "Default");
    for (const LangEntry& entry : LanguageTable) {
        if (utf::EqualIgnoringCase(defaultName, entry.Name)) {
            config.LanguageIndex = entry.Id;
            break;
        }
    }

    config.LanguageChoices.clear();
    for (std::string& item : config::SplitList(reader.Text("LANGUAGE_CFG", "Lang", kMaxListChars))) {
        // An empty item names no key: its entry has an empty text.
        std::string name = item.empty() ? std::string() : reader.Text("LANGUAGE_CFG", item);
        config.LanguageChoices.push_back({std::move(item), std::move(name)});
    }

    // Enciphered codes are deciphered; anything else is used as it is read.
    std::string customer = Tool::ToNarrow(reader.Text("CUSTOMER_CFG", "Id"));
    std::string deciphered = customer;
    config.CustomerCodes = CutCustomerCodes(Tool::DecryptText(deciphered) == 1 ? deciphered : customer);

    config.ShowModel = reader.Flag("MODEL_CFG", "Show_Model");
    config.ModifyMode =
        Tool::ToNarrow(reader.Text("MODEL_CFG", "Modify_Mode")) == kModifyModeCode && config.ShowModel;

    config.DevInfoMask = static_cast<uint32_t>(
        reader.Integer("DEVINFO_CFG", "Dev_Info", static_cast<int>(kDefaultDevInfoMask)));
    config.DevInfoMask |= kForcedDevInfoBits;
    if (!config.ShowModel) {
        config.DevInfoMask &= ~kModelColumnBit;
    }
    config.DevInfoWidths = ParseDevInfoWidths(reader.Text("DEVINFO_CFG", "Dev_Widths"));

    config.PeriodChoices.clear();
    for (const std::string& item :
         config::SplitList(reader.Text("SEARCH_CFG", "Period_Time", kMaxListChars))) {
        config.PeriodChoices.push_back(Tool::ToInt(item, 10));
    }
    config.PeriodicSearch = reader.Flag("SEARCH_CFG", "Periodic_Search");
    config.SearchPeriodMinutes = reader.Integer("SEARCH_CFG", "Sel_Time", 0);
    // No periods offered, or a period that is not a positive number of minutes
    // (which would search without pause): no periodic search.
    if (config.PeriodChoices.empty() || config.SearchPeriodMinutes < 1) {
        config.PeriodicSearch = false;
    }
    if (config.PeriodChoices.empty()) {
        config.SearchPeriodMinutes = 0;
    }

    config.ShowHelp = reader.Flag("HELP_CFG", "Show_Help");
    config.SearchInterfaces = config::SplitList(reader.Text("SEARCH_CFG", "Interfaces", kMaxListChars));
    std::erase(config.SearchInterfaces, std::string());

    // A value out of range keeps the default rather than a limit nobody chose.
    const int transfers = reader.Integer("UPGRADE_CFG", "Max_Transfers", kDefaultUpgradeTransfers);
    config.UpgradeTransfers =
        transfers >= 1 && transfers <= kMaxUpgradeTransfers ? transfers : kDefaultUpgradeTransfers;
}

void LoadConfig(AppConfig& config, const std::string& programFolder, const CustomerSink& setCustomer) {
    BuildPaths(config, programFolder);
    // Saves an earlier run did not finish (killed mid-save) leave only
    // temporaries; they go before the store is used.
    ini::RemoveStaleTemporaries(config.ConfigPath);
    // A missing or unreadable file reads as an empty one: every default.
    const std::string text = ini::ReadFileText(config.ConfigPath).value_or(std::string());
    ApplyConfigText(config, text);
    if (setCustomer) {
        setCustomer(config.CustomerCodes.c_str());
    }
}

void LoadConfig(AppConfig& config) {
    LoadConfig(config, GetProgramFolder(), {});
}
