#include "operate/readdress_run.h"

#include "discovery/config_sender.h"
#include "discovery/discovery_source.h"
#include "discovery/ip_rules.h"
#include "net/udp_socket.h"
#include "sdk/session_crypto.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <thread>

namespace {

constexpr char kPlannedKey[] = "rd.Planned";
constexpr char kKeptKey[] = "rd.Kept";
constexpr char kNoAddressKey[] = "rd.No_address";
constexpr char kChangedKey[] = "rd.Changed";
constexpr char kNotFoundKey[] = "info.Network_not_found_again";

// A device the batch changed, waiting to be found again.
struct Moved {
    DeviceEntry* entry;
    uint32_t from;
    uint32_t to;
    std::string identity; // MAC (native) or endpoint reference
    bool native;
};

DeviceEntry ChangeOf(const DeviceEntry& entry, uint32_t to, const ReaddressRequest& request) {
    DeviceEntry change = entry;
    change.mac = DeviceKey(entry);
    change.ip = net::AddressToText(to);
    change.mask = net::AddressToText(request.mask);
    change.gateway = net::AddressToText(request.gateway);
    if (request.dns != 0) {
        change.dns1 = net::AddressToText(request.dns);
    }
    change.dhcpMode = 2;
    return change;
}

// Where each changed device answers now: its identity to its address.
std::map<std::string, uint32_t> FindAgain(const std::vector<Moved>& moved,
                                          const ReaddressSettings& settings) {
    std::map<std::string, uint32_t> found;
    for (int attempt = 0; attempt < settings.verifyTries && found.size() < moved.size(); ++attempt) {
        if (attempt > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(settings.verifyPauseMs));
        }
        const SearchResult result = settings.search.sources.empty()
                                        ? RunSearch(settings.search)
                                        : RunSources(settings.search.sources, settings.search, nullptr);
        for (const auto& [key, entry] : result.devices) {
            const uint32_t address = AddressFromText(entry.ip);
            if (!entry.mac.empty()) {
                found[entry.mac] = address;
            }
            if (!entry.onvif.endpointReference.empty()) {
                found[entry.onvif.endpointReference] = address;
            }
        }
        std::size_t answered = 0;
        for (const Moved& device : moved) {
            answered += found.count(device.identity);
        }
        if (answered == moved.size()) {
            break;
        }
    }
    return found;
}

} // namespace

ReaddressPlan PrepareReaddress(const DeviceTable& listed, const std::vector<const DeviceEntry*>& chosen,
                               const ReaddressRequest& request,
                               const std::vector<net::InterfaceAddress>& interfaces,
                               const NeighbourProbe& probe) {
    TakenAddresses taken;
    for (const auto& [key, entry] : listed) {
        taken.listed.insert(AddressFromText(entry.ip));
    }
    std::string probeInterface = chosen.empty() ? std::string() : chosen.front()->interfaceName;
    for (const net::InterfaceAddress& local : interfaces) {
        taken.local.insert(local.address);
        if ((request.first & local.mask) == (local.address & local.mask)) {
            probeInterface = local.name;
        }
    }
    const std::map<std::string, AddressProblems> problems = DiagnoseTable(listed, interfaces);
    std::vector<ReaddressDevice> devices;
    for (const DeviceEntry* entry : chosen) {
        const auto found = problems.find(DeviceKey(*entry));
        const bool troubled = found != problems.end() && (found->second.Has(AddressProblem::Conflict) ||
                                                          found->second.Has(AddressProblem::Unreachable));
        devices.push_back({DeviceKey(*entry), AddressFromText(entry->ip), troubled});
    }
    const std::vector<uint32_t> candidates = CandidateAddresses(request);
    if (probe && !candidates.empty()) {
        taken.answered = probe(candidates, probeInterface);
    }
    return PlanReaddress(std::move(devices), request, taken);
}

std::vector<ReaddressLine> PlanLines(const ReaddressPlan& plan) {
    std::vector<ReaddressLine> lines;
    for (const PlannedDevice& device : plan.devices) {
        const ReaddressOutcome outcome = device.step == PlanStep::Move   ? ReaddressOutcome::Planned
                                         : device.step == PlanStep::Keep ? ReaddressOutcome::Kept
                                                                         : ReaddressOutcome::NoAddress;
        lines.push_back({device.key, outcome, device.from, device.to, {}, 0});
    }
    for (const SkippedAddress& skipped : plan.skipped) {
        lines.push_back({{}, ReaddressOutcome::Skipped, 0, skipped.address, skipped.reasonKey, 0});
    }
    return lines;
}

namespace {

// Old address to the new ones the batch gave out from it.
using GivenAddresses = std::multimap<uint32_t, uint32_t>;

// Devices that shared an address were changed by whichever held it: a
// device that answers at any address the batch gave to a device that was
// where it was has taken one of those changes.
bool GivenFrom(const GivenAddresses& given, uint32_t from, uint32_t to) {
    const auto [first, last] = given.equal_range(from);
    return std::any_of(first, last, [to](const auto& pair) { return pair.second == to; });
}

// The lines of the changed devices, once the searches have told where each
// answers.
void ReportFound(const std::vector<Moved>& moved, const std::map<std::string, uint32_t>& found,
                 const GivenAddresses& givenFrom, const ReaddressRequest& request,
                 const std::function<void(const ReaddressLine&)>& report) {
    for (const Moved& device : moved) {
        ReaddressLine line{
            DeviceKey(*device.entry), ReaddressOutcome::Failed, device.from, device.to, kNotFoundKey, 0};
        const auto where = found.find(device.identity);
        if (where != found.end() && GivenFrom(givenFrom, device.from, where->second)) {
            line.outcome = ReaddressOutcome::Changed;
            line.to = where->second;
            DeviceEntry now = ChangeOf(*device.entry, where->second, request);
            ApplyNetworkChange(*device.entry, now, device.native ? device.entry->AcceptsConfigV3() : true);
        }
        report(line);
    }
}

} // namespace

void ApplyReaddress(const ReaddressPlan& plan, const std::vector<DeviceEntry*>& chosen,
                    ReaddressSettings& settings, OperateContext& context, ILoginPrompt& prompt,
                    const std::function<void(const ReaddressLine&)>& report) {
    std::map<std::string, DeviceEntry*> byKey;
    for (DeviceEntry* entry : chosen) {
        byKey[DeviceKey(*entry)] = entry;
    }
    BatchCredentials credentials;
    bool cancelled = false;
    if (settings.adminPassword.empty()) {
        cancelled = !prompt.AskCredentials(LoginPromptRequest{"msg.Login", false, {}, "admin"},
                                           credentials.user, credentials.password);
        credentials.ask = false;
        settings.adminPassword = credentials.password;
    }
    // The native devices go first, by their MACs; the others follow through
    // their links' logins.
    std::vector<std::pair<const PlannedDevice*, DeviceEntry*>> native;
    std::vector<std::pair<const PlannedDevice*, DeviceEntry*>> linked;
    for (const PlannedDevice& planned : plan.devices) {
        const auto record = byKey.find(planned.key);
        if (planned.step != PlanStep::Move || record == byKey.end()) {
            continue;
        }
        if (cancelled) {
            report({planned.key, ReaddressOutcome::Cancelled, planned.from, planned.to, {}, 0});
            continue;
        }
        const bool itself = context.links.LinkFor(*record->second).ChangesNetworkItself();
        (itself ? linked : native).emplace_back(&planned, record->second);
    }
    std::vector<Moved> moved;
    GivenAddresses givenFrom;
    for (const auto& [planned, entry] : native) {
        const DeviceEntry change = ChangeOf(*entry, planned->to, settings.request);
        const int result = SendNetworkConfig(change, settings.adminPassword, settings.config);
        if (result != kConfigSuccess) {
            report({planned->key, ReaddressOutcome::Failed, planned->from, planned->to,
                    result == kConfigTimeout ? failkey::kTimeout : failkey::kRefused, 0});
            continue;
        }
        moved.push_back({entry, planned->from, planned->to, entry->mac, true});
        givenFrom.emplace(planned->from, planned->to);
    }
    sdkwire::WipeAll(settings.adminPassword);

    // A device that speaks both families but shares its address with others
    // is two records, its MAC's and its endpoint reference's, until a login
    // tells which belong together. Once the native changes are found again,
    // an endpoint answering at an address given to a native device from its
    // own old address is that device, already moved: it is not changed twice.
    std::map<std::string, uint32_t> found;
    const bool twins = std::any_of(linked.begin(), linked.end(), [&](const auto& item) {
        return item.second->mac.empty() && givenFrom.count(item.first->from) != 0;
    });
    if (twins) {
        found = FindAgain(moved, settings);
    }
    std::vector<Moved> linkedMoved;
    for (const auto& [planned, entry] : linked) {
        ReaddressLine line{planned->key, ReaddressOutcome::Failed, planned->from, planned->to, {}, 0};
        if (cancelled) {
            line.outcome = ReaddressOutcome::Cancelled;
            report(line);
            continue;
        }
        if (twins && entry->mac.empty()) {
            const auto where = found.find(entry->onvif.endpointReference);
            if (where != found.end() && GivenFrom(givenFrom, planned->from, where->second)) {
                moved.push_back({entry, planned->from, where->second, entry->onvif.endpointReference, false});
                continue;
            }
        }
        DeviceLink& link = context.links.LinkFor(*entry);
        int error = 0;
        const int login = BatchLogin(*entry, link, context.logins, credentials, prompt, error);
        if (login == -2) {
            cancelled = true;
            line.outcome = ReaddressOutcome::Cancelled;
            report(line);
            continue;
        }
        const std::optional<DeviceLogin> kept = context.logins.Find(DeviceKey(*entry));
        if (login == -1 || !kept) {
            line.reasonKey = "info.Login_fail";
            line.loginError = login == -1 ? error : 0;
            report(line);
            continue;
        }
        std::string failKey;
        const DeviceEntry change = ChangeOf(*entry, planned->to, settings.request);
        const bool sent = link.SendNetworkChange(*entry, *kept, change, failKey);
        // The device left the address its login was made to.
        context.logins.End(DeviceKey(*entry));
        if (!sent) {
            line.reasonKey = failKey;
            report(line);
            continue;
        }
        linkedMoved.push_back({entry, planned->from, planned->to, entry->onvif.endpointReference, false});
        givenFrom.emplace(planned->from, planned->to);
    }
    sdkwire::WipeAll(credentials.password);

    if (!twins) {
        moved.insert(moved.end(), linkedMoved.begin(), linkedMoved.end());
        found = FindAgain(moved, settings);
    } else if (!linkedMoved.empty()) {
        // Only the devices changed since the first search are looked for.
        for (const auto& [identity, address] : FindAgain(linkedMoved, settings)) {
            found[identity] = address;
        }
        moved.insert(moved.end(), linkedMoved.begin(), linkedMoved.end());
    }
    ReportFound(moved, found, givenFrom, settings.request, report);
}

std::string ReaddressLineKey(const ReaddressLine& line) {
    switch (line.outcome) {
    case ReaddressOutcome::Planned:
        return kPlannedKey;
    case ReaddressOutcome::Kept:
        return kKeptKey;
    case ReaddressOutcome::NoAddress:
        return kNoAddressKey;
    case ReaddressOutcome::Changed:
        return kChangedKey;
    case ReaddressOutcome::Cancelled:
        return "rd.Cancelled";
    case ReaddressOutcome::Skipped:
    case ReaddressOutcome::Failed:
        break;
    }
    return line.reasonKey.empty() ? failkey::kRefused : line.reasonKey;
}

std::string ReaddressLineText(const ReaddressLine& line, const std::string& text) {
    if (line.outcome == ReaddressOutcome::Skipped) {
        return net::AddressToText(line.to) + "  " + text;
    }
    std::string result = line.key + "  " + net::AddressToText(line.from);
    if (line.outcome != ReaddressOutcome::Kept && line.outcome != ReaddressOutcome::NoAddress) {
        result += " -> " + net::AddressToText(line.to);
    }
    return result + "  " + text;
}
