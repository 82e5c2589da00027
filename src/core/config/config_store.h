#pragma once
// Loading Config.ini into AppConfig and writing back the three settings the
// user can change. Every write goes straight to the file, one key at a time.
#include "config/app_config.h"

#include <functional>
#include <string>
#include <string_view>

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

// Writes "LANGUAGE_CFG" / "Default" = the display name of the language in
// use, right after the load, so a name in another case or one that matched
// no language is replaced by the name of the language actually used.
// Does not write when the file already holds exactly that name.
bool RewriteDefaultLanguage(const AppConfig& config);

// Language switch: stores the index and writes its display name as
// "LANGUAGE_CFG" / "Default". An index outside the table writes nothing.
bool SaveLanguage(AppConfig& config, int languageIndex);

// Stores both values and writes "SEARCH_CFG" / "Periodic_Search" ("1" or
// "0") and "SEARCH_CFG" / "Sel_Time" (decimal).
bool SaveSearchParams(AppConfig& config, bool enabled, int minutes);

// Stores the column mask and writes "DEVINFO_CFG" / "Dev_Info" in decimal as
// a signed 32-bit value, without the bits the load forces.
bool SaveDevInfoMask(AppConfig& config, uint32_t mask);
