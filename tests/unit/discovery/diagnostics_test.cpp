// The address diagnostics over a device table: conflicts (other addresses
// of a MAC included), a MAC answering twice, a device outside every subnet
// of its interface, a gateway outside the device's subnet.
#include "discovery/diagnostics.h"

#include <gtest/gtest.h>

namespace {

DeviceEntry Device(const std::string& ip, const std::string& mask, const std::string& gateway,
                   const std::string& interfaceName = "eth0") {
    DeviceEntry entry;
    entry.ip = ip;
    entry.mask = mask;
    entry.gateway = gateway;
    entry.interfaceName = interfaceName;
    return entry;
}

std::map<std::string, std::string> Words(const DeviceTable& table,
                                         const std::vector<net::InterfaceAddress>& interfaces) {
    std::map<std::string, std::string> words;
    for (const auto& [key, problems] : DiagnoseTable(table, interfaces)) {
        words[key] = AddressProblemWords(problems);
    }
    return words;
}

const std::vector<net::InterfaceAddress> kInterfaces{
    {"eth0", 2, 0x0A000002, 0xFFFF0000, true, true},   // 10.0.0.2/16
    {"eth0", 2, 0xC0A80102, 0xFFFFFF00, true, true},   // 192.168.1.2/24 on the same interface
    {"wlan0", 3, 0xAC100002, 0xFFFFFF00, true, true}}; // 172.16.0.2/24

TEST(Diagnostics, EachProblemIsFoundOnlyWhereItIs) {
    DeviceTable table;
    table["a"] = Device("10.0.1.5", "255.255.0.0", "10.0.0.1");
    table["b"] = Device("10.0.1.5", "255.255.0.0", "10.0.0.1"); // shares a's address
    table["c"] = Device("10.0.1.6", "255.255.0.0", "10.0.0.1"); // also answered as 10.0.1.9
    table["c"].otherAddresses = {"10.0.1.9"};
    table["d"] = Device("10.0.1.9", "255.255.0.0", "10.0.0.1");          // c's other address
    table["e"] = Device("192.168.1.50", "255.255.255.0", "192.168.1.1"); // the interface's second subnet
    table["f"] = Device("192.168.7.50", "255.255.255.0", "192.168.7.1"); // in no subnet of eth0
    table["g"] = Device("172.16.0.9", "255.255.255.0", "172.16.9.1", "wlan0");
    table["h"] = Device("10.0.1.7", "", "10.9.9.9");                      // mask unknown: no gateway test
    table["i"] = Device("10.0.1.8", "255.255.0.0", "0.0.0.0", "");        // asked by address: no interface
    table["j"] = Device("10.0.1.10", "255.255.0.0", "10.0.0.1", "gone0"); // interface no longer there
    table["k"] = Device("0.0.0.0", "255.255.0.0", "0.0.0.0");             // no address: no conflict with l
    table["l"] = Device("0.0.0.0", "255.255.0.0", "0.0.0.0");
    table["k"].interfaceName = table["l"].interfaceName = "";
    EXPECT_EQ(Words(table, kInterfaces), (std::map<std::string, std::string>{
                                             {"a", "addressConflict"},
                                             {"b", "addressConflict"},
                                             {"c", "addressConflict macAnsweredTwice"},
                                             {"d", "addressConflict"},
                                             {"f", "unreachable"},
                                             {"g", "gatewayOutside"},
                                         }));
    // A MAC heard twice at the same place is no conflict by itself.
    DeviceTable alone;
    alone["c"] = table["c"];
    EXPECT_EQ(Words(alone, kInterfaces), (std::map<std::string, std::string>{{"c", "macAnsweredTwice"}}));
    for (const AddressProblem problem : kAddressProblems) {
        EXPECT_STRNE(AddressProblemKey(problem), "");
    }
}

} // namespace
