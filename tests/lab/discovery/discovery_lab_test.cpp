// Runs inside the lab's "pc" namespace (scripts/lab) against corvane-devsim
// playing discovery.lab, with the protocol's own endpoints: broadcasts to
// 255.255.255.255:5000 from port 5003, replies on port 5001. Searches use
// short phases with frequent resends: the exact timing is tested elsewhere.
#include "discovery/config_sender.h"
#include "discovery/search_engine.h"
#include "lab_file.h"
#include "net/udp_socket.h"

#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <thread>

namespace {

const Lab& TheLab() {
    static const Lab lab = [] {
        const char* source = std::getenv("CORVANE_SOURCE_DIR");
        const std::string path =
            std::string(source != nullptr ? source : ".") + "/tests/lab/discovery/discovery.lab";
        LabFileResult read = ReadLabFile(path);
        EXPECT_TRUE(read.ok) << path << ": " << read.error;
        return read.lab;
    }();
    return lab;
}

const SimDevice& Named(const std::string& name) {
    for (const SimDevice& device : TheLab().devices) {
        if (device.name == name) {
            return device;
        }
    }
    ADD_FAILURE() << "no device " << name;
    static const SimDevice none;
    return none;
}

std::string MacOf(const std::string& name) {
    return MacToText(Named(name).fields.mac);
}

SearchResult QuickSearch(const std::string& customerCodes) {
    SearchOptions options;
    options.timing.phaseMs = 600;
    options.timing.resendMs = 100;
    options.customerCodes = customerCodes;
    return RunSearch(options);
}

int64_t Since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
        .count();
}

TEST(DiscoveryLab, SearchFindsExactlyTheLabsDevicesWithEveryField) {
    const SearchResult result = QuickSearch("C0000");
    ASSERT_EQ(result.setUpResult, 1);
    // Every device that answers V1 with well-formed replies, once per MAC:
    // not v3-only, not wrong-length, the twins as one.
    std::vector<std::string> expected;
    for (const char* name :
         {"full", "v1-only", "repeater", "twin-first", "lower-case", "unterminated", "foreign", "lossy",
          "odd-texts", "cfg-v2", "cfg-v3", "cfg-no-ack", "cfg-wrong-echo", "cfg-cli"}) {
        expected.push_back(MacOf(name));
    }
    std::sort(expected.begin(), expected.end());
    std::vector<std::string> found;
    for (const auto& [mac, entry] : result.devices) {
        found.push_back(mac);
        EXPECT_EQ(mac, entry.mac);
    }
    EXPECT_EQ(found, expected);

    const DeviceEntry& full = result.devices.at("02-C0-00-00-00-01");
    EXPECT_EQ(full.ip, "10.77.16.1");
    EXPECT_EQ(full.mask, "255.255.0.0");
    EXPECT_EQ(full.gateway, "10.77.0.1");
    EXPECT_EQ(full.dns1, "10.77.0.2");
    EXPECT_EQ(full.dns2, "8.8.8.8");
    EXPECT_EQ(full.dhcpMode, 2);
    EXPECT_EQ(full.tcpPort, 34567);
    EXPECT_EQ(full.webPort, 8080);
    EXPECT_EQ(full.onvifAvailable, 1);
    EXPECT_EQ(full.onvifPort, 8080);
    EXPECT_EQ(full.capabilities, 0x09);
    EXPECT_EQ(full.type, "IPC");
    EXPECT_EQ(full.model, "HV-IPC-B21F");
    EXPECT_EQ(full.cloudId, "7a1f03c9d2e4b586");
    EXPECT_EQ(full.deviceTime, "2026-12-07 22:10:00");
    EXPECT_EQ(full.version, "V5.2.10 build 20261101");
    EXPECT_EQ(full.releaseTime, "2026-11-01 10:00:00");
    EXPECT_EQ(full.startTime, "2026-12-07 08:00:00");
    EXPECT_EQ(full.customerCode, "C1234");

    const DeviceEntry& v1 = result.devices.at(MacOf("v1-only"));
    for (const std::string* text :
         {&v1.type, &v1.model, &v1.cloudId, &v1.deviceTime, &v1.version, &v1.releaseTime, &v1.startTime}) {
        EXPECT_EQ(*text, "-- --");
    }
    EXPECT_EQ(v1.customerCode, "");
    EXPECT_EQ(v1.dhcpMode, 1);
    EXPECT_EQ(v1.onvifAvailable, 0);
    EXPECT_EQ(v1.onvifPort, 0);

    const DeviceEntry& twin = result.devices.at(MacOf("twin-first"));
    EXPECT_EQ(twin.ip, "10.77.16.5");
    EXPECT_EQ(twin.webPort, 81);
    EXPECT_EQ(twin.type, "first");

    EXPECT_EQ(result.devices.at(MacOf("repeater")).model, "HV-DVR-0404");
    EXPECT_EQ(result.devices.at(MacOf("lower-case")).type, "lower");
    EXPECT_EQ(result.devices.at(MacOf("lossy")).ip, "10.77.16.10");

    const DeviceEntry& unterminated = result.devices.at(MacOf("unterminated"));
    EXPECT_EQ(unterminated.type, std::string(64, 'T'));
    EXPECT_EQ(unterminated.cloudId, std::string(64, 'C'));
    EXPECT_EQ(unterminated.version, std::string(32, 'V'));
    EXPECT_EQ(unterminated.startTime, std::string(32, 'S'));
    EXPECT_EQ(unterminated.model, "Model-LongModel-Long");
    EXPECT_EQ(unterminated.customerCode.size(), 108u);

    const DeviceEntry& odd = result.devices.at(MacOf("odd-texts"));
    EXPECT_EQ(odd.type, "\xFF\xFE"
                        "cam");
    EXPECT_EQ(odd.model, "say \"hi\", ok");
}

TEST(DiscoveryLab, CustomerFilterDropsOtherCustomers) {
    const SearchResult result = QuickSearch("C1234");
    ASSERT_EQ(result.setUpResult, 1);
    EXPECT_EQ(result.devices.count(MacOf("full")), 1u);    // listed code
    EXPECT_EQ(result.devices.count(MacOf("v1-only")), 1u); // no code
    EXPECT_EQ(result.devices.count(MacOf("foreign")), 0u);
    EXPECT_EQ(result.devices.count(MacOf("unterminated")), 0u);
}

TEST(DiscoveryLab, ConfigurationChangesShowAtTheNextSearch) {
    const SearchResult before = QuickSearch("C0000");
    ASSERT_EQ(before.setUpResult, 1);
    const auto target = [&](const std::string& name) {
        DeviceEntry entry = before.devices.at(MacOf(name));
        entry.ip = "10.77.17." + std::to_string(Named(name).fields.ip & 0xFF);
        entry.gateway = "10.77.0.254";
        entry.mask = "255.255.0.0";
        entry.dns1 = "10.77.0.53";
        entry.dns2 = "1.1.1.1";
        entry.dhcpMode = 2;
        return entry;
    };

    DeviceEntry v2 = target("cfg-v2");
    EXPECT_EQ(SendNetworkConfigV2(v2), 1);

    DeviceEntry absent = v2;
    absent.mac = "02-C0-00-00-00-99";
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(SendNetworkConfigV2(absent), -1);
    EXPECT_GE(Since(start), 2900); // six probes over three seconds

    DeviceEntry v3 = target("cfg-v3");
    EXPECT_EQ(SendNetworkConfigV3(v3, "not-the-password"), -1);
    // A device checks at most one CFG.V3 request every 200 ms.
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    EXPECT_EQ(SendNetworkConfigV3(v3, Named("cfg-v3").adminPassword), 1);

    start = std::chrono::steady_clock::now();
    EXPECT_EQ(SendNetworkConfigV3(target("cfg-no-ack"), Named("cfg-no-ack").adminPassword), -3);
    EXPECT_GE(Since(start), 2900);

    EXPECT_EQ(SendNetworkConfigV3(target("cfg-wrong-echo"), Named("cfg-wrong-echo").adminPassword), -1);

    const SearchResult after = QuickSearch("C0000");
    ASSERT_EQ(after.setUpResult, 1);
    const DeviceEntry& changedV2 = after.devices.at(v2.mac);
    EXPECT_EQ(changedV2.ip, "10.77.17.21");
    EXPECT_EQ(changedV2.gateway, "10.77.0.254");
    EXPECT_EQ(changedV2.dns1, "0.0.0.0"); // CFG.V2 carries no DNS
    const DeviceEntry& changedV3 = after.devices.at(v3.mac);
    EXPECT_EQ(changedV3.ip, "10.77.17.22");
    EXPECT_EQ(changedV3.dns1, "10.77.0.53");
    EXPECT_EQ(changedV3.dns2, "1.1.1.1");
    EXPECT_EQ(changedV3.dhcpMode, 2);
    EXPECT_EQ(after.devices.at(MacOf("full")).ip, "10.77.16.1");
}

TEST(DiscoveryLab, TakenReplyPortGivesMinus6) {
    auto holder = net::CreateUdpSocket();
    ASSERT_TRUE(holder);
    ASSERT_TRUE(holder->Bind({net::kAnyAddress, 5001}));
    const SearchResult result = QuickSearch("C0000");
    EXPECT_EQ(result.setUpResult, -6);
    EXPECT_TRUE(result.devices.empty());
}

} // namespace
