#include "discovery/diagnostics.h"

#include "discovery/ip_rules.h"

#include <algorithm>
#include <set>

namespace {

// A usable device address: dotted decimal, neither 0.0.0.0 nor broadcast.
bool Usable(uint32_t address) {
    return address != 0 && address != kInvalidAddress;
}

bool Unreachable(const DeviceEntry& entry, const std::vector<net::InterfaceAddress>& interfaces) {
    const uint32_t address = AddressFromText(entry.ip);
    if (entry.interfaceName.empty() || !Usable(address)) {
        return false;
    }
    bool known = false;
    for (const net::InterfaceAddress& item : interfaces) {
        if (item.name != entry.interfaceName) {
            continue;
        }
        known = true;
        if ((item.address & item.mask) == (address & item.mask)) {
            return false;
        }
    }
    // An interface that went away since the search tells nothing.
    return known;
}

bool GatewayOutside(const DeviceEntry& entry) {
    const uint32_t address = AddressFromText(entry.ip);
    const uint32_t mask = AddressFromText(entry.mask);
    const uint32_t gateway = AddressFromText(entry.gateway);
    // No gateway, or a mask not known yet (an ONVIF device before a login).
    if (!Usable(address) || !Usable(gateway) || mask == 0 || mask == kInvalidAddress) {
        return false;
    }
    return (gateway & mask) != (address & mask);
}

} // namespace

std::map<std::string, AddressProblems> DiagnoseTable(const DeviceTable& table,
                                                     const std::vector<net::InterfaceAddress>& interfaces) {
    // How many devices answer from each address (a device once per address).
    std::map<std::string, int> devicesAt;
    for (const auto& [key, entry] : table) {
        std::set<std::string> own(entry.otherAddresses.begin(), entry.otherAddresses.end());
        own.insert(entry.ip);
        for (const std::string& address : own) {
            if (Usable(AddressFromText(address))) {
                ++devicesAt[address];
            }
        }
    }
    std::map<std::string, AddressProblems> problems;
    for (const auto& [key, entry] : table) {
        AddressProblems found;
        const auto shares = [&](const std::string& address) {
            const auto count = devicesAt.find(address);
            return count != devicesAt.end() && count->second > 1;
        };
        if (shares(entry.ip) ||
            std::any_of(entry.otherAddresses.begin(), entry.otherAddresses.end(), shares)) {
            found.Add(AddressProblem::Conflict);
        }
        if (!entry.otherAddresses.empty()) {
            found.Add(AddressProblem::MacAnsweredTwice);
        }
        if (Unreachable(entry, interfaces)) {
            found.Add(AddressProblem::Unreachable);
        }
        if (GatewayOutside(entry)) {
            found.Add(AddressProblem::GatewayOutside);
        }
        if (!found.Empty()) {
            problems.emplace(key, found);
        }
    }
    return problems;
}

const char* AddressProblemKey(AddressProblem problem) {
    switch (problem) {
    case AddressProblem::Conflict:
        return "info.Diag_address_conflict";
    case AddressProblem::MacAnsweredTwice:
        return "info.Diag_mac_twice";
    case AddressProblem::Unreachable:
        return "info.Diag_unreachable";
    case AddressProblem::GatewayOutside:
        return "info.Diag_gateway_outside";
    }
    return "";
}

const char* AddressProblemWord(AddressProblem problem) {
    switch (problem) {
    case AddressProblem::Conflict:
        return "addressConflict";
    case AddressProblem::MacAnsweredTwice:
        return "macAnsweredTwice";
    case AddressProblem::Unreachable:
        return "unreachable";
    case AddressProblem::GatewayOutside:
        return "gatewayOutside";
    }
    return "";
}

std::string AddressProblemWords(AddressProblems problems) {
    std::string words;
    for (const AddressProblem problem : kAddressProblems) {
        if (problems.Has(problem)) {
            words += (words.empty() ? "" : " ") + std::string(AddressProblemWord(problem));
        }
    }
    return words;
}
