#pragma once
// The configuration values of the program, read once from Config.ini at
// start-up and held by the main window for the rest of the run.
#include <cstdint>
#include <string>
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

// Narrow customer text limit (the SDK's customer buffer holds 1500 bytes).
inline constexpr std::size_t kMaxCustomerBytes = 1499;

struct AppConfig {
    // Paths built from the program folder.
    std::string ConfigPath;      // Config File/Config/Config.ini
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

    std::vector<int> PeriodChoices; // minutes
    bool PeriodicSearch = true;
    int SearchPeriodMinutes = 1;

    bool ShowHelp = false;
};
