// corvane-cli set-network: changes one device's network settings as the
// network dialog does: check the values, find the device by a search (both
// families), send CFG.V3 to native devices with capability bit 3, else
// CFG.V2; an ONVIF device is logged in to and changed through its own
// service, and found again at its new address.
#include "command.h"
#include "device_batch.h"
#include "discovery/config_sender.h"
#include "discovery/discovery_source.h"
#include "discovery/ip_rules.h"
#include "lang/tool_language.h"
#include "onvif/family_link.h"
#include "operate/operate_context.h"
#include "sdk/session_crypto.h"
#include "search.h"
#include "set_network_range.h"
#include "support/device_match.h"
#include "support/text_format.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <memory>

namespace {

bool IsDottedAddress(const std::string& text) {
    return AddressFromText(text) != kInvalidAddress || text == "255.255.255.255";
}

struct Arguments {
    std::map<std::string, std::string> values; // by option name
    int phaseMs = 0;
    std::string passwordFile;
    bool intoSubnet = false;
    bool yes = false;
};

// The administrator password for CFG.V3, by the login password's sources;
// false with a message on stderr when there is none.
bool FindAdminPassword(Arguments& arguments, std::string& password) {
    return ::FindAdminPassword(arguments.values, arguments.passwordFile,
                               "Administrator password of the device", password);
}

// A family that changes the network itself: its login (the administrator
// password's sources, the user "admin" unless --user names another), then
// the change, found again at the new address.
int ChangeThroughLink(Arguments& arguments, DeviceLink& link, const DeviceEntry& device, DeviceEntry change) {
    std::string password;
    if (!FindAdminPassword(arguments, password)) {
        return 2;
    }
    const std::string user = arguments.values.count("--user") != 0 ? arguments.values["--user"] : "admin";
    DeviceLogin login;
    int error = 0;
    const bool loggedIn = link.Login(device, user, password, login, error);
    sdkwire::WipeAll(password);
    sdkwire::WipeAll(arguments.values["--admin-password"]);
    std::printf("%s  %s -> %s\n",
                TableCell(device.mac.empty() ? device.onvif.endpointReference : device.mac).c_str(),
                TableCell(device.ip).c_str(), TableCell(change.ip).c_str());
    if (!loggedIn) {
        std::printf("%s\n", LoginFailureText(error).c_str());
        return 1;
    }
    change.mac = DeviceKey(device);
    std::string failKey;
    const bool changed = link.ChangeNetwork(device, login, change, failKey);
    link.Logout(login);
    if (changed && change.dhcpMode == 1) {
        std::printf("-> %s\n", TableCell(change.ip).c_str()); // where the DHCP server put it
    }
    std::printf("%s\n", CliText(changed ? "info.operate_success" : failKey).c_str());
    return changed ? 0 : 1;
}

int RunSetNetwork(Arguments& arguments) {
    std::map<std::string, std::string>& values = arguments.values;
    if (values.count("--range") != 0) {
        RangeArguments range{values, arguments.passwordFile, arguments.phaseMs, arguments.intoSubnet,
                             arguments.yes};
        const int status = RunSetNetworkRange(range);
        sdkwire::WipeAll(values["--admin-password"]);
        return status;
    }
    if (values.count("--ip") == 0) {
        std::fprintf(stderr, "corvane-cli set-network: give the new address with --ip, or --range\n");
        return 2;
    }
    SearchOptions search;
    if (arguments.phaseMs > 0) {
        SetSearchPhase(arguments.phaseMs, search.timing);
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

    if (values.count("--mac") == 0 && values.count("--at") == 0) {
        std::fprintf(stderr, "corvane-cli set-network: choose the device with --mac or --at\n");
        return 2;
    }
    search.customerCodes = settings.customerCodes;
    OperateContext context;
    const onvif::OnvifFamily onvifFamily = onvif::AddFamilyLink(context.links, onvif::CreateCurlTransport());
    search.sources = {NativeDiscovery(), onvifFamily.discovery};
    const SearchResult found = RunSearchWithProgress(search);
    if (found.setUpResult != kSocketsReady) {
        std::string text;
        Tool::SocketErrorText(found.setUpResult + 8, text);
        std::fprintf(stderr, "%s\n", text.c_str());
        return 2;
    }
    const std::string wanted = MacKey(values["--mac"]);
    const DeviceEntry* device = nullptr;
    for (const auto& [mac, entry] : found.devices) {
        const bool byMac = !wanted.empty() && MacKey(entry.mac) == wanted;
        if (byMac || (values.count("--at") != 0 && entry.ip == values["--at"])) {
            device = &entry;
        }
    }
    if (device == nullptr) {
        std::fprintf(stderr, "corvane-cli set-network: no device %s answered the search\n",
                     (wanted.empty() ? values["--at"] : values["--mac"]).c_str());
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
    DeviceLink& link = context.links.LinkFor(*device);
    if (link.ChangesNetworkItself()) {
        return ChangeThroughLink(arguments, link, *device, change);
    }
    std::string adminPassword;
    if (change.AcceptsConfigV3()) {
        // CFG.V3 carries the password in clear to the broadcast address.
        std::fprintf(stderr, "%s\n", CliText("msg.cfg_v3_clear_password").c_str());
        if (!FindAdminPassword(arguments, adminPassword)) {
            return 2;
        }
    }

    const int result = SendNetworkConfig(change, adminPassword);
    sdkwire::WipeAll(adminPassword);
    sdkwire::WipeAll(values["--admin-password"]);
    const char* key = result == kConfigSuccess   ? "info.operate_success"
                      : result == kConfigTimeout ? "info.operate_timeout"
                                                 : "info.operate_fail";
    // Which device it was, as the search found it, and where it goes.
    std::printf("%s  %s -> %s\n", TableCell(device->mac).c_str(), TableCell(device->ip).c_str(),
                TableCell(change.ip).c_str());
    std::printf("%s\n", CliText(key).c_str());
    return result == kConfigSuccess ? 0 : 1;
}

const CliCommandRegistration kRegistration({
    "set-network",
    "Change a device's network settings (native devices without a login)",
    [](CLI::App& command) -> std::function<int()> {
        auto arguments = std::make_shared<Arguments>();
        const auto value = [&command, arguments](const std::string& name, const std::string& help) {
            return command.add_option_function<std::string>(
                name, [arguments, name](const std::string& text) { arguments->values[name] = text; }, help);
        };
        CLI::Option* mac =
            value("--mac", "The device, found by a search first (with --range: several, commas between)")
                ->type_name("MAC");
        value("--at", "The device at this address, found by a search first (ONVIF devices, whose MAC a "
                      "search does not tell)")
            ->type_name("ADDRESS")
            ->excludes(mac);
        value("--user", "The login of a device changed through its own service (ONVIF; default: admin)")
            ->type_name("USER");
        CLI::Option* ip = value("--ip", "The new address")->type_name("ADDRESS");
        value("--range", "Re-address many devices: every device the search finds (or those of --mac, "
                         "commas between), one address each from FIRST-LAST (or FIRST to the end of its "
                         "subnet), skipping addresses in use; the plan is shown first")
            ->type_name("FIRST[-LAST]")
            ->excludes(ip);
        value("--dns", "With --range: the DNS server")->type_name("ADDRESS");
        command.add_flag("--into-subnet", arguments->intoSubnet,
                         "With --range: move only devices this computer cannot reach or that share their "
                         "address with another device");
        command.add_flag("--yes", arguments->yes, "With --range: apply the plan without asking");
        value("--mask", "The new subnet mask")->required()->type_name("MASK");
        value("--gateway", "The new gateway")->required()->type_name("ADDRESS");
        value("--dns1", "The first DNS server")->type_name("ADDRESS");
        value("--dns2", "The second DNS server")->type_name("ADDRESS");
        value("--dhcp", "Address by DHCP")->check(CLI::IsMember({"on", "off"}))->type_name("MODE");
        CLI::Option* plain = value("--admin-password",
                                   "The administrator password, sent with the change (CFG.V3) to devices "
                                   "that support it. Visible to every user of this machine in the process "
                                   "list: prefer --admin-password-file, CORVANE_ADMIN_PASSWORD or the prompt")
                                 ->type_name("PASSWORD");
        command
            .add_option("--admin-password-file", arguments->passwordFile,
                        "Read the administrator password from the first line of FILE ('-': standard input)")
            ->type_name("FILE")
            ->excludes(plain);
        command.add_option("--phase-ms", arguments->phaseMs, "Length of each search phase (default 3000)")
            ->check(CLI::Range(1, 60000))
            ->type_name("MS");
        command.footer("The device is found by a search; native devices that support it get CFG.V3 with the "
                       "administrator password, the others CFG.V2. CFG.V3 sends the password unencrypted on "
                       "the local network. ONVIF devices are logged in to with that password and changed "
                       "through their own service, then found again at the new address. Without "
                       "--admin-password or --admin-password-file the password is "
                       "taken from CORVANE_ADMIN_PASSWORD, or asked on the terminal without echo.");
        return [arguments] { return RunSetNetwork(*arguments); };
    },
});

} // namespace
