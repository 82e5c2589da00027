#pragma once
// The configuration values of the program, read once from Config.ini at
// start-up and held by the main window for the rest of the run, and the
// three settings written back when the user changes them. Every write goes
// straight to the file, one key at a time.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// One entry of the language selector: the pack's file base name as listed in
// "LANGUAGE_CFG" / "Lang", and the display name configured for it.
struct LanguageChoice {
    std::string File;
    std::string Name;
};

// Column bits of the device list (bit i shows column i).
inline constexpr uint32_t kDefaultDevInfoMask = 0x23FF; // 9215
// Row number, IP, MAC and login state are always shown after a load.
inline constexpr uint32_t kForcedDevInfoBits = 0x2007;
inline constexpr uint32_t kModelColumnBit = 0x100;

// Column widths of the device list the user set by dragging, kept as
// "DEVINFO_CFG" / "Dev_Widths": one decimal width per column, comma-separated.
// A width of 0 means the column's own default. Files written before the
// ONVIF facts' columns (family, name, hardware, location) hold the first 14,
// those written before the interface column the first 18.
inline constexpr int kDevInfoColumnCount = 19;
inline constexpr int kDevInfoColumnCountsBefore[] = {14, 18};
inline constexpr int kMinDevInfoWidth = 16;
inline constexpr int kMaxDevInfoWidth = 1200;

// Narrow customer text limit (the SDK's customer buffer holds 1500 bytes).
inline constexpr std::size_t kMaxCustomerBytes = 1499;

inline constexpr int kDefaultUpgradeTransfers = 8;
inline constexpr int kMaxUpgradeTransfers = 64;

struct AppConfig {
    // Paths built from the program folder.
    std::string ConfigPath;      // Config File/Config/Config.ini, or the user's copy (config_location.h)
    std::string EncodePath;      // Config File/Config/Encode.ini
    std::string SkinFolder;      // Config File/Skin/
    std::string LogoIconPath;    // Skin folder + Logo.ico (icon, shown at 32 x 32)
    std::string HelpPicturePath; // Skin folder + Help.bmp (picture, shown at 640 x 528)
    std::string LangFolder;      // Config File/Lang/
    std::string QrFolder;        // per-user folder of the QR picture; empty when none

    std::string AppName;
    std::string Version;
    std::string ReleaseText; // release date, two spaces, release time

    int LanguageIndex = 0; // row of the built-in language table
    std::vector<LanguageChoice> LanguageChoices;

    std::string CustomerCodes; // at most kMaxCustomerBytes bytes

    bool ShowModel = false;
    bool ModifyMode = false;
    uint32_t DevInfoMask = kDefaultDevInfoMask;
    // kDevInfoColumnCount widths, 0 = the column's default.
    std::vector<int> DevInfoWidths = std::vector<int>(kDevInfoColumnCount, 0);

    std::vector<int> PeriodChoices; // minutes
    bool PeriodicSearch = true;
    int SearchPeriodMinutes = 1;

    bool ShowHelp = false;

    // The interfaces searches go out of, by name ("SEARCH_CFG" /
    // "Interfaces", separated by "|"); empty: every interface.
    std::vector<std::string> SearchInterfaces;

    // Firmware transfers of an upgrade batch that run at once; the others
    // wait their turn ("UPGRADE_CFG" / "Max_Transfers", 1..64).
    int UpgradeTransfers = kDefaultUpgradeTransfers;
};

// Receives the customer codes once per load; the program passes the device
// SDK's SDK_SetCustomer. Kept as a callback so this library does not link the SDK.
using CustomerSink = std::function<void(const char* customerCodes)>;

// Fills config from "Config File/Config/Config.ini" under programFolder (which
// ends in a separator). A missing or unreadable file gives every default.
// Calls setCustomer exactly once with the customer codes (when it is set).
void LoadConfig(AppConfig& config, const std::string& programFolder, const CustomerSink& setCustomer);
// The same for the running program's folder, without handing the customer
// codes on (for front ends that apply the customer filter themselves).
void LoadConfig(AppConfig& config);

// The load's rules applied to the file text (what LoadConfig does after
// building the paths and reading the file); for tests and tools.
void ApplyConfigText(AppConfig& config, std::string_view text);

// Language switch: stores the index and writes its display name as
// "LANGUAGE_CFG" / "Default". An index outside the table writes nothing.
// The main window's start-up switch to the loaded language writes it too, so
// a name in another case, or one that matched no language, is replaced by
// the name of the language actually used.
bool SaveLanguage(AppConfig& config, int languageIndex);

// Stores both values and writes "SEARCH_CFG" / "Periodic_Search" ("1" or
// "0") and "SEARCH_CFG" / "Sel_Time" (decimal).
bool SaveSearchParams(AppConfig& config, bool enabled, int minutes);

// Stores the interface names (each once; a name holding the separator "|"
// cannot be written and is left out) and writes "SEARCH_CFG" / "Interfaces",
// the names separated by "|"; empty: every interface.
bool SaveSearchInterfaces(AppConfig& config, const std::vector<std::string>& names);

// Stores the column mask and writes "DEVINFO_CFG" / "Dev_Info" in decimal as
// a signed 32-bit value, without the bits the load forces.
bool SaveDevInfoMask(AppConfig& config, uint32_t mask);

// "Dev_Widths" text to kDevInfoColumnCount widths. Each width is 0 (the
// default) or clamped to kMinDevInfoWidth..kMaxDevInfoWidth. A text of
// one of kDevInfoColumnCountsBefore numbers (an older file) keeps them and gives the
// later columns their defaults; any other text that is not exactly
// kDevInfoColumnCount decimal numbers gives every default: a damaged or
// hand-edited value never leaves the list half laid out.
std::vector<int> ParseDevInfoWidths(std::string_view text);
// The widths as the key's text, clamped the same way; missing entries are 0.
std::string FormatDevInfoWidths(const std::vector<int>& widths);
// Stores the widths (clamped, kDevInfoColumnCount of them) and writes
// "DEVINFO_CFG" / "Dev_Widths", leaving the rest of the file as it is.
bool SaveDevInfoWidths(AppConfig& config, const std::vector<int>& widths);
