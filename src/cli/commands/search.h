#pragma once
// What the search and set-network commands share: the settings they take
// from Config.ini next to the executable, the language texts, one search.
#include "config/app_config.h"
#include "discovery/search_engine.h"

#include <string>
#include <string_view>
#include <vector>

struct CliDiscoverySettings {
    std::string customerCodes;
    int upgradeTransfers = kDefaultUpgradeTransfers; // UPGRADE_CFG Max_Transfers
    std::vector<std::string> interfaces;             // SEARCH_CFG Interfaces
};

// Reads Config.ini next to the executable and loads the configured
// language pack for this thread.
CliDiscoverySettings LoadCliDiscoverySettings();
// The active language's text of a key (the key itself when it has none).
std::string CliText(std::string_view key);
// RunSearch (or RunSources over the options' sources when it names any),
// with a one-line progress on standard error while it runs when
// that is a terminal.
SearchResult RunSearchWithProgress(SearchOptions options);
// A search phase of phaseMs (1..60000) milliseconds: lab runs shorten them.
void SetSearchPhase(int phaseMs, SearchTiming& timing);
