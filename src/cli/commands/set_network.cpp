// corvane-cli set-network: changes one device's network settings over UDP,
// as the network dialog does: check the values, find the device by a
// search, send CFG.V3 to devices with capability bit 3, else CFG.V2.
#include "command.h"
#include "discovery/config_sender.h"
#include "discovery/ip_rules.h"
#include "lang/tool_language.h"
#include "search.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>

namespace {

bool IsDottedAddress(const std::string& text) {
    return AddressFromText(text) != kInvalidAddress || text == "255.255.255.255";
}

std::string LettersAndDigitsUpper(const std::string& text) {
    std::string kept;
    for (const char c : text) {
        if (std::isalnum(static_cast<unsigned char>(c)) != 0) {
            kept += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    return kept;
}

int Fail(const char* what) {
    std::fprintf(stderr, "corvane-cli set-network: %s\n", what);
    return 2;
}

int RunSetNetwork(const std::vector<std::string>& args) {
    std::map<std::string, std::string> values;
    SearchOptions search;
    for (std::size_t i = 0; i < args.size(); ++i) {
        static const std::vector<std::string> kKeys{"--mac",  "--ip",   "--mask", "--gateway",
                                                    "--dns1", "--dns2", "--dhcp", "--admin-password"};
        if (std::find(kKeys.begin(), kKeys.end(), args[i]) != kKeys.end() && i + 1 < args.size()) {
            values[args[i]] = args[i + 1];
            ++i;
        } else if (!ParsePhaseOption(args, i, search.timing)) {
            std::fprintf(stderr, "corvane-cli set-network: unknown argument \"%s\"\n", args[i].c_str());
            return 2;
        }
    }
    for (const char* required : {"--mac", "--ip", "--mask", "--gateway"}) {
        if (values.count(required) == 0) {
            std::fprintf(stderr, "corvane-cli set-network: %s is required\n", required);
            return 2;
        }
    }
    if (values.count("--dhcp") != 0 && values["--dhcp"] != "on" && values["--dhcp"] != "off") {
        return Fail("--dhcp is on or off");
    }
    const CliDiscoverySettings settings = LoadCliDiscoverySettings();

    // The network dialog's rules; text that is no address at all fails too.
    bool valid = true;
    for (const char* key : {"--ip", "--mask", "--gateway", "--dns1", "--dns2"}) {
        if (values.count(key) != 0 && !IsDottedAddress(values[key])) {
            valid = false;
        }
    }
    if (!valid || !CheckIpSettings(AddressFromText(values["--ip"]), AddressFromText(values["--mask"]),
                                   AddressFromText(values["--gateway"]))) {
        std::fprintf(stderr, "%s\n", CliText("info.IP_set_error").c_str());
        return 2;
    }

    search.customerCodes = settings.customerCodes;
    const SearchResult found = RunSearch(search);
    if (found.setUpResult != kSocketsReady) {
        std::string text;
        Tool::SocketErrorText(found.setUpResult + 8, text);
        std::fprintf(stderr, "%s\n", text.c_str());
        return 2;
    }
    const std::string wanted = LettersAndDigitsUpper(values["--mac"]);
    const DeviceEntry* device = nullptr;
    for (const auto& [mac, entry] : found.devices) {
        if (LettersAndDigitsUpper(mac) == wanted) {
            device = &entry;
        }
    }
    if (device == nullptr) {
        std::fprintf(stderr, "corvane-cli set-network: no device %s answered the search\n",
                     values["--mac"].c_str());
        return 1;
    }

    // The dialog's copy of the entry, holding the new values.
    DeviceEntry change = *device;
    change.ip = values["--ip"];
    change.mask = values["--mask"];
    change.gateway = values["--gateway"];
    if (values.count("--dns1") != 0) {
        change.dns1 = values["--dns1"];
    }
    if (values.count("--dns2") != 0) {
        change.dns2 = values["--dns2"];
    }
    // A device reporting neither DHCP nor static gets a static address.
    if (change.dhcpMode != 1 && change.dhcpMode != 2) {
        change.dhcpMode = 2;
    }
    if (values.count("--dhcp") != 0) {
        change.dhcpMode = values["--dhcp"] == "on" ? 1 : 2;
    }
    change.loginPassword = values["--admin-password"];

    const int result = SendNetworkConfig(change);
    const char* key = result == kConfigSuccess   ? "info.operate_success"
                      : result == kConfigTimeout ? "info.operate_timeout"
                                                 : "info.operate_fail";
    std::printf("%s\n", CliText(key).c_str());
    return result == kConfigSuccess ? 0 : 1;
}

const CliCommandRegistration kRegistration({
    "set-network",
    "set-network --mac MAC --ip A --mask M --gateway G [--dns1 D] [--dns2 D]\n"
    "            [--dhcp on|off] [--admin-password P] [--phase-ms MS]\n"
    "                               change a device's network settings without a login; a search\n"
    "                               finds it first (CFG.V3 with the administrator password when\n"
    "                               the device supports it, else CFG.V2)",
    RunSetNetwork,
});

} // namespace
