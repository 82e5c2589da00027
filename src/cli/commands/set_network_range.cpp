// The plan of a re-addressing batch: the devices found by a search (every
// one, or those named with --mac, commas between), one address each from
// the range, printed before anything is sent; with --yes or a "y" on the
// terminal it is applied, and one line per device tells the outcome.
#include "set_network_range.h"

#include "credentials.h"
#include "device_batch.h"
#include "discovery/address_range.h"
#include "discovery/discovery_source.h"
#include "discovery/ip_rules.h"
#include "lang/tool_language.h"
#include "net/interfaces.h"
#include "net/neighbour_probe.h"
#include "onvif/family_link.h"
#include "operate/readdress_run.h"
#include "sdk/session_crypto.h"
#include "search.h"
#include "support/device_match.h"

#include <cstdio>
#include <iostream>
#include <sstream>
#include <unistd.h>

namespace {

// The ONVIF devices' batch login: the user and the administrator password.
class AdminPrompt : public ILoginPrompt {
public:
    AdminPrompt(std::string user, std::string& password) : m_user(std::move(user)), m_password(password) {}
    bool AskCredentials(const LoginPromptRequest&, std::string& user, std::string& password) override {
        user = m_user;
        password = m_password;
        return true;
    }

private:
    std::string m_user;
    std::string& m_password;
};

bool ParseRequest(RangeArguments& arguments, ReaddressRequest& request) {
    std::map<std::string, std::string>& values = arguments.values;
    const std::string& range = values["--range"];
    if (range.find('-') != std::string::npos) {
        const AddressRangeParse parsed = ParseAddressRange(range);
        if (!parsed.range) {
            std::fprintf(stderr, "%s\n", CliText(parsed.errorKey).c_str());
            return false;
        }
        request.first = parsed.range->first;
        request.last = parsed.range->last;
    } else {
        request.first = AddressFromText(range);
    }
    request.mask = AddressFromText(values["--mask"]);
    request.gateway = AddressFromText(values["--gateway"]);
    request.dns = values.count("--dns") != 0 ? AddressFromText(values["--dns"]) : 0;
    request.intoSubnet = arguments.intoSubnet;
    if (request.first == kInvalidAddress || request.dns == kInvalidAddress ||
        !CheckIpSettings(request.first, request.mask, request.gateway)) {
        std::fprintf(stderr, "%s\n", CliText("info.IP_set_error").c_str());
        return false;
    }
    return true;
}

std::vector<DeviceEntry*> Chosen(DeviceTable& devices, const std::string& macs) {
    std::vector<DeviceEntry*> chosen;
    std::vector<std::string> wanted;
    std::istringstream list(macs);
    for (std::string mac; std::getline(list, mac, ',');) {
        wanted.push_back(MacKey(mac));
    }
    for (auto& [key, entry] : devices) {
        // A device without a known MAC is never one named by it.
        const std::string mac = MacKey(entry.mac);
        const bool named = !mac.empty() && std::find(wanted.begin(), wanted.end(), mac) != wanted.end();
        if (wanted.empty() || named) {
            chosen.push_back(&entry);
        }
    }
    return chosen;
}

std::string LineText(const ReaddressLine& line) {
    const std::string text =
        line.loginError != 0 ? LoginFailureText(line.loginError) : CliText(ReaddressLineKey(line));
    return ReaddressLineText(line, text);
}

} // namespace

bool FindAdminPassword(std::map<std::string, std::string>& values, const std::string& passwordFile,
                       const char* prompt, std::string& password) {
    PasswordSources sources;
    sources.optionGiven = values.count("--admin-password") != 0;
    sources.option = values["--admin-password"];
    sources.file = passwordFile;
    sources.environment = "CORVANE_ADMIN_PASSWORD";
    sources.prompt = prompt;
    sources.fileOption = "--admin-password-file";
    sources.plainOption = "--admin-password";
    std::string error;
    const bool found = FindPassword(sources, password, error);
    sdkwire::WipeAll(sources.option);
    if (!found) {
        std::fprintf(stderr, "corvane-cli set-network: %s\n", error.c_str());
    }
    return found;
}

namespace {

bool ConfirmedOnTerminal() {
    if (isatty(STDIN_FILENO) == 0) {
        std::fprintf(stderr, "corvane-cli set-network: give --yes to apply the plan without a terminal\n");
        return false;
    }
    std::fprintf(stderr, "%s [y/N] ", CliText("msg.Readdress_apply").c_str());
    std::string answer;
    std::getline(std::cin, answer);
    return answer == "y" || answer == "Y";
}

} // namespace

int RunSetNetworkRange(RangeArguments& arguments) {
    ReaddressRequest request;
    if (!ParseRequest(arguments, request)) {
        return 2;
    }
    SearchOptions search;
    if (arguments.phaseMs > 0) {
        SetSearchPhase(arguments.phaseMs, search.timing);
    }
    search.customerCodes = LoadCliDiscoverySettings().customerCodes;
    OperateContext context;
    const onvif::OnvifFamily onvifFamily = onvif::AddFamilyLink(context.links, onvif::CreateCurlTransport());
    search.sources = {NativeDiscovery(), onvifFamily.discovery};
    SearchResult found = RunSearchWithProgress(search);
    if (found.setUpResult != kSocketsReady) {
        std::string text;
        Tool::SocketErrorText(found.setUpResult + 8, text);
        std::fprintf(stderr, "%s\n", text.c_str());
        return 2;
    }
    const std::vector<DeviceEntry*> chosen = Chosen(found.devices, arguments.values["--mac"]);
    if (chosen.empty()) {
        std::fprintf(stderr, "corvane-cli set-network: no chosen device answered the search\n");
        return 1;
    }
    const ReaddressPlan plan = PrepareReaddress(
        found.devices, {chosen.begin(), chosen.end()}, request, net::LocalInterfaces(),
        [](const auto& addresses, const std::string& name) { return net::ProbeNeighbours(addresses, name); });
    if (!plan.errorKey.empty()) {
        std::fprintf(stderr, "%s\n", CliText(plan.errorKey).c_str());
        return 2;
    }
    bool anyMove = false;
    for (const ReaddressLine& line : PlanLines(plan)) {
        std::printf("%s\n", LineText(line).c_str());
        anyMove = anyMove || line.outcome == ReaddressOutcome::Planned;
    }
    std::fflush(stdout);
    if (!anyMove || !(arguments.yes || ConfirmedOnTerminal())) {
        return anyMove ? 1 : 0;
    }

    ReaddressSettings settings;
    settings.request = request;
    settings.search = search;
    if (!FindAdminPassword(arguments.values, arguments.passwordFile, "Administrator password of the devices",
                           settings.adminPassword)) {
        return 2;
    }
    sdkwire::WipeAll(arguments.values["--admin-password"]);
    std::string loginPassword = settings.adminPassword;
    const std::string user =
        arguments.values.count("--user") != 0 ? arguments.values["--user"] : std::string("admin");
    AdminPrompt prompt(user, loginPassword);
    bool allChanged = true;
    ApplyReaddress(plan, chosen, settings, context, prompt, [&allChanged](const ReaddressLine& line) {
        allChanged = allChanged && line.outcome == ReaddressOutcome::Changed;
        std::printf("%s\n", LineText(line).c_str());
        std::fflush(stdout);
    });
    sdkwire::WipeAll(loginPassword);
    context.logins.EndAll();
    return allChanged ? 0 : 1;
}
