#pragma once
// corvane-cli set-network --range: re-addresses many devices in one batch
// (the plan printed first, then applied and checked device by device).
#include <map>
#include <string>

struct RangeArguments {
    std::map<std::string, std::string> values; // by option name, as set-network keeps them
    std::string passwordFile;
    int phaseMs = 0;
    bool intoSubnet = false;
    bool yes = false;
};

// The administrator password by the login password's sources: the
// --admin-password value, --admin-password-file, CORVANE_ADMIN_PASSWORD,
// the prompt; false with a message on stderr when there is none.
bool FindAdminPassword(std::map<std::string, std::string>& values, const std::string& passwordFile,
                       const char* prompt, std::string& password);

// Exit status: 0 every planned device changed, 1 some did not, 2 refused
// values or no search.
int RunSetNetworkRange(RangeArguments& arguments);
