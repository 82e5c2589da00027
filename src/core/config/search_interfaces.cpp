#include "config/search_interfaces.h"

#include "net/udp_socket.h"

#include <algorithm>
#include <bit>

namespace {

bool Contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::string AddressesOf(const std::vector<net::InterfaceAddress>& local, const std::string& name) {
    std::string text;
    for (const net::InterfaceAddress& item : local) {
        if (item.name == name) {
            text += (text.empty() ? "" : ", ") + net::AddressToText(item.address) + '/' +
                    std::to_string(std::popcount(item.mask));
        }
    }
    return text;
}

} // namespace

std::vector<SearchInterfaceRow> SearchInterfaceRows(const std::vector<net::InterfaceAddress>& local,
                                                    const std::vector<std::string>& chosen) {
    std::vector<SearchInterfaceRow> rows;
    // One entry per interface name.
    for (const net::InterfaceAddress& item : net::BroadcastInterfaces(local)) {
        rows.push_back(
            {item.name, AddressesOf(local, item.name), true, chosen.empty() || Contains(chosen, item.name)});
    }
    for (const std::string& name : chosen) {
        const bool listed =
            std::any_of(rows.begin(), rows.end(), [&](const auto& row) { return row.name == name; });
        if (!name.empty() && !listed) {
            rows.push_back({name, {}, false, true});
        }
    }
    return rows;
}

std::vector<std::string> ChosenInterfaceNames(const std::vector<SearchInterfaceRow>& rows) {
    std::vector<std::string> names;
    for (const SearchInterfaceRow& row : rows) {
        if (row.chosen) {
            names.push_back(row.name);
        }
    }
    if (names.size() == rows.size()) {
        names.clear();
    }
    return names;
}
