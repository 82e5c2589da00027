// The merge of V3 texts into the device table, the customer filter and the
// handing over of a login after a network change.
#include "discovery/config_sender.h"
#include "discovery/customer_filter.h"
#include "discovery/device_entry.h"

#include <gtest/gtest.h>

namespace {

DeviceEntry Device(const std::string& mac, const std::string& code = "") {
    DeviceEntry entry;
    entry.mac = mac;
    entry.ip = "10.0.0.1";
    entry.customerCode = code;
    return entry;
}

TEST(Merge, CopiesTheEightTextsOnlyForKnownDevices) {
    DeviceTable devices{{"A", Device("A")}, {"B", Device("B")}};
    SupplementTable supplement;
    DeviceEntry texts = Device("A", "C1234");
    texts.ip = "9.9.9.9"; // numeric V3 values are not taken
    texts.type = "NVR";
    texts.model = "M1";
    texts.cloudId = "cloud";
    texts.deviceTime = "dt";
    texts.version = "v";
    texts.releaseTime = "rt";
    texts.startTime = "";
    supplement["A"] = texts;
    supplement["Z"] = Device("Z"); // answered V3 only
    MergeSupplement(devices, supplement);
    ASSERT_EQ(devices.size(), 2u);
    const DeviceEntry& a = devices["A"];
    EXPECT_EQ(a.ip, "10.0.0.1");
    EXPECT_EQ(a.type, "NVR");
    EXPECT_EQ(a.model, "M1");
    EXPECT_EQ(a.cloudId, "cloud");
    EXPECT_EQ(a.deviceTime, "dt");
    EXPECT_EQ(a.version, "v");
    EXPECT_EQ(a.releaseTime, "rt");
    EXPECT_EQ(a.startTime, "");
    EXPECT_EQ(a.customerCode, "C1234");
    EXPECT_EQ(devices["B"].type, "-- --");
    EXPECT_EQ(devices.count("Z"), 0u);
}

DeviceTable Population() {
    return {{"1", Device("1", "")},      {"2", Device("2", "C0000")}, {"3", Device("3", "C1234")},
            {"4", Device("4", "C9999")}, {"5", Device("5", "234")},   {"6", Device("6", "c0000")}};
}

std::string Kept(const DeviceTable& devices) {
    std::string keys;
    for (const auto& [key, entry] : devices) {
        keys += key;
    }
    return keys;
}

TEST(CustomerFilter, UniversalCodeInTheConfigurationKeepsEverything) {
    DeviceTable devices = Population();
    ApplyCustomerFilter(devices, "C1111C0000");
    EXPECT_EQ(Kept(devices), "123456");
}

TEST(CustomerFilter, KeepsUniversalEmptyAndListedCodes) {
    DeviceTable devices = Population();
    ApplyCustomerFilter(devices, "C5555C1234");
    // "234" is found inside the configured text: a plain substring search.
    EXPECT_EQ(Kept(devices), "1235");
}

TEST(CustomerFilter, EmptyConfigurationKeepsOnlyUniversalAndEmptyCodes) {
    DeviceTable devices = Population();
    ApplyCustomerFilter(devices, "");
    // Case matters: "c0000" is not the universal code.
    EXPECT_EQ(Kept(devices), "12");
}

TEST(CustomerFilter, PlainTenCharacterIdWithUniversalCodeFiltersNothing) {
    DeviceTable devices = Population();
    ApplyCustomerFilter(devices, "C0000C4321");
    EXPECT_EQ(devices.size(), 6u);
}

TEST(NetworkChange, EntryTakesTheNewValuesAndParksItsLogin) {
    DeviceEntry target = Device("A");
    target.dns1 = "1.1.1.1";
    target.dhcpMode = 1;
    DeviceEntry change = target;
    change.ip = "10.0.0.9";
    change.gateway = "10.0.0.254";
    change.mask = "255.255.0.0";
    change.dns1 = "8.8.8.8";
    change.dhcpMode = 2;
    ApplyNetworkChange(target, change, false);
    EXPECT_EQ(target.ip, "10.0.0.9");
    EXPECT_EQ(target.gateway, "10.0.0.254");
    EXPECT_EQ(target.mask, "255.255.0.0");
    EXPECT_EQ(target.dns1, "1.1.1.1"); // CFG.V2 does not carry DNS or DHCP
    EXPECT_EQ(target.dhcpMode, 1);
    ApplyNetworkChange(target, change, true);
    EXPECT_EQ(target.dns1, "8.8.8.8");
    EXPECT_EQ(target.dhcpMode, 2);
}

} // namespace
