// Device families side by side: every source runs, their devices land in
// one table, and a device two families find is one record with both
// families' operations and the first family's facts.
#include "discovery/discovery_source.h"
#include "discovery/ip_rules.h"
#include "discovery/search_worker.h"

#include <gtest/gtest.h>

namespace {

DeviceEntry Device(const std::string& mac, const std::string& ip, OperationSet operations) {
    DeviceEntry entry;
    entry.mac = mac;
    entry.ip = ip;
    entry.operations = operations;
    return entry;
}

// A family that finds a fixed table, reporting it as found first.
class FixedSource : public DiscoverySource {
public:
    FixedSource(int setUpResult, std::vector<DeviceEntry> devices)
        : m_setUpResult(setUpResult), m_devices(std::move(devices)) {}

    SearchResult Run(const SearchOptions& options, const std::atomic<bool>*) override {
        if (options.progress.v1Found) {
            options.progress.v1Found(m_devices);
        }
        SearchResult result;
        result.setUpResult = m_setUpResult;
        for (const DeviceEntry& entry : m_devices) {
            result.devices[entry.mac] = entry;
        }
        return result;
    }

    // Answers a probe of the range that holds its last device's address.
    DeviceTable ProbeAddresses(const AddressRange& range, const SearchOptions&,
                               const std::atomic<bool>*) override {
        ++probes;
        DeviceTable found;
        const DeviceEntry& last = m_devices.back();
        const uint32_t address = AddressFromText(last.ip);
        if (address >= range.first && address <= range.last) {
            found[last.mac] = last;
        }
        return found;
    }
    std::atomic<int> probes{0};

private:
    int m_setUpResult;
    std::vector<DeviceEntry> m_devices;
};

} // namespace

TEST(DiscoverySources, RunSideBySideAndMergeOneRecordPerDevice) {
    const OperationSet native = NativeOperations(0);
    const OperationSet other{DeviceOperation::Reboot, DeviceOperation::Preview};
    DiscoverySources sources{
        std::make_shared<FixedSource>(kSocketsReady, std::vector{Device("A", "10.0.0.1", native)}),
        std::make_shared<FixedSource>(
            -6, std::vector{Device("A", "10.9.9.9", other), Device("B", "10.0.0.2", other)})};
    std::atomic<int> reports{0};
    SearchOptions options;
    options.progress.v1Found = [&](std::vector<DeviceEntry> found) {
        reports += static_cast<int>(found.size());
    };

    const SearchResult result = RunSources(sources, options, nullptr);
    EXPECT_EQ(reports.load(), 3);
    EXPECT_EQ(result.setUpResult, kSocketsReady); // the first source's
    ASSERT_EQ(result.devices.size(), 2u);
    const DeviceEntry& both = result.devices.at("A");
    EXPECT_EQ(both.ip, "10.0.0.1");
    EXPECT_TRUE(both.operations.Has(DeviceOperation::Password));
    EXPECT_TRUE(both.operations.Has(DeviceOperation::Reboot));
    EXPECT_EQ(result.devices.at("B").operations, other);
    EXPECT_FALSE(result.devices.at("B").operations.Has(DeviceOperation::Login));
}

TEST(DiscoverySources, NativeModelChangeFollowsTheCapabilityByte) {
    EXPECT_FALSE(NativeOperations(0x08).Has(DeviceOperation::ModelChange));
    EXPECT_TRUE(NativeOperations(0x01).Has(DeviceOperation::ModelChange));
    EXPECT_TRUE(NativeOperations(0x00).Has(DeviceOperation::Upgrade));
}

TEST(DiscoverySources, AProbeAsksOnlyTheRangeAndSearchesAskRememberedRangesToo) {
    auto native = std::make_shared<FixedSource>(kSocketsReady, std::vector{Device("A", "10.0.0.1", {})});
    auto remote = std::make_shared<FixedSource>(kSocketsReady, std::vector{Device("R", "10.9.0.7", {})});
    const AddressRange range{AddressFromText("10.9.0.1"), AddressFromText("10.9.0.9")};
    const auto runOnWorker = [](SearchOptions options) {
        SearchWorker worker;
        SearchResult out;
        EXPECT_TRUE(
            worker.Start(std::move(options), [&out](SearchResult result) { out = std::move(result); }));
        worker.Wait();
        return out;
    };
    SearchOptions options;
    options.sources = {native, remote};
    options.addresses = range;
    SearchResult result = runOnWorker(options);
    ASSERT_EQ(result.devices.size(), 1u); // the range only: no search ran
    EXPECT_EQ(result.devices.count("R"), 1u);

    options.addresses.reset();
    options.rememberedRanges = {range};
    result = runOnWorker(options);
    // The search finds A and R (this fixed source finds R either way);
    // the remembered range was asked beside it.
    EXPECT_EQ(result.devices.size(), 2u);
    EXPECT_EQ(remote->probes.load(), 2);
}

TEST(DiscoverySources, DevicesSharingAnAddressStayRecordsOfTheirOwn) {
    const OperationSet native = NativeOperations(0);
    const OperationSet other{DeviceOperation::Reboot};
    DeviceTable table{{"A", Device("A", "10.0.0.1", native)},
                      {"B", Device("B", "10.0.0.1", native)},
                      {"C", Device("C", "10.0.0.5", native)}};
    MergeFamily(table, DeviceTable{{"urn:x", Device("urn:x", "10.0.0.1", other)},
                                   {"urn:y", Device("urn:y", "10.0.0.5", other)}});
    // The shared address names no one; the address only C has names C.
    EXPECT_EQ(table.size(), 4u);
    EXPECT_EQ(table.count("urn:x"), 1u);
    EXPECT_EQ(table.count("urn:y"), 0u);
}

TEST(DiscoverySources, DevicesOfDifferentEndpointsSharingAnAddressStayApart) {
    const auto onvifOnly = [](const std::string& reference, const std::string& interfaceName) {
        DeviceEntry entry = Device("", "10.0.0.9", OnvifOperations());
        entry.families = DeviceFamilies{DeviceFamily::Onvif};
        entry.onvif.endpointReference = reference;
        entry.interfaceName = interfaceName;
        return entry;
    };
    DeviceTable table;
    table["02-00-00-00-00-09"] = Device("02-00-00-00-00-09", "10.0.0.9", NativeOperations(0));
    MergeFamily(table, DeviceTable{{"urn:a", onvifOnly("urn:a", "eth1")}});
    // Alone at its address it joins the native record there (which learns
    // the interface); another endpoint at that address is a device of its own.
    ASSERT_EQ(table.size(), 1u);
    EXPECT_EQ(table.at("02-00-00-00-00-09").onvif.endpointReference, "urn:a");
    EXPECT_EQ(table.at("02-00-00-00-00-09").interfaceName, "eth1");
    MergeFamily(table, DeviceTable{{"urn:b", onvifOnly("urn:b", "eth1")}});
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table.at("urn:b").ip, "10.0.0.9");
}
