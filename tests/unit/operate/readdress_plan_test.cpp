#include "discovery/ip_rules.h"
#include "operate/readdress_run.h"

#include <gtest/gtest.h>

namespace {

uint32_t A(const char* text) {
    return AddressFromText(text);
}

ReaddressRequest Request(const char* first, const char* last) {
    ReaddressRequest request;
    request.first = A(first);
    request.last = last == nullptr ? 0 : A(last);
    request.mask = A("255.255.255.0");
    request.gateway = A("192.168.1.1");
    request.dns = A("192.168.1.2");
    return request;
}

TEST(ReaddressPlan, GivesAddressesInKeyOrderSkippingTakenOnesWithTheirReasons) {
    const uint32_t factory = A("192.168.1.108");
    const std::vector<ReaddressDevice> devices{{"02-00-00-00-00-03", factory, false},
                                               {"02-00-00-00-00-01", factory, false},
                                               {"02-00-00-00-00-02", factory, false},
                                               {"02-00-00-00-00-04", factory, false}};
    TakenAddresses taken;
    taken.listed = {factory, factory, factory, factory, A("192.168.1.0")};
    taken.listed.insert(A("192.168.1.3")); // a device that is not chosen
    taken.answered = {A("192.168.1.4"), A("192.168.1.7")};
    taken.local = {A("192.168.1.5"), A("192.168.1.10")};
    // From the network address on: it, the gateway and the DNS server are no device's.
    const ReaddressPlan plan = PlanReaddress(devices, Request("192.168.1.0", "192.168.1.20"), taken);
    ASSERT_TRUE(plan.errorKey.empty());
    ASSERT_EQ(plan.devices.size(), 4u);
    const std::vector<const char*> expected{"192.168.1.6", "192.168.1.8", "192.168.1.9", "192.168.1.11"};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(plan.devices[i].key, "02-00-00-00-00-0" + std::to_string(i + 1));
        EXPECT_EQ(plan.devices[i].step, PlanStep::Move);
        EXPECT_EQ(plan.devices[i].from, factory);
        EXPECT_EQ(plan.devices[i].to, A(expected[i])) << i;
    }
    const std::vector<std::pair<const char*, const char*>> skipped{
        {"192.168.1.0", skipkey::kRules},    {"192.168.1.1", skipkey::kRules},
        {"192.168.1.2", skipkey::kRules},    {"192.168.1.3", skipkey::kListed},
        {"192.168.1.4", skipkey::kAnswered}, {"192.168.1.5", skipkey::kThisPc},
        {"192.168.1.7", skipkey::kAnswered}, {"192.168.1.10", skipkey::kThisPc}};
    ASSERT_EQ(plan.skipped.size(), skipped.size());
    for (std::size_t i = 0; i < skipped.size(); ++i) {
        EXPECT_EQ(plan.skipped[i].address, A(skipped[i].first)) << i;
        EXPECT_EQ(plan.skipped[i].reasonKey, skipped[i].second) << i;
    }
}

TEST(ReaddressPlan, AnOpenRangeEndsBeforeTheBroadcastAndAShortOneLeavesDevicesWithout) {
    const std::vector<ReaddressDevice> devices{
        {"a", A("192.168.1.108"), false}, {"b", A("192.168.1.108"), false}, {"c", A("192.168.1.108"), false}};
    ReaddressPlan plan = PlanReaddress(devices, Request("192.168.1.253", nullptr), {});
    EXPECT_EQ(plan.devices[0].to, A("192.168.1.253"));
    EXPECT_EQ(plan.devices[1].to, A("192.168.1.254"));
    EXPECT_EQ(plan.devices[2].step, PlanStep::None);
    ASSERT_EQ(plan.skipped.size(), 1u);
    EXPECT_EQ(plan.skipped[0].address, A("192.168.1.255"));

    plan = PlanReaddress(devices, Request("192.168.1.50", "192.168.1.51"), {});
    EXPECT_EQ(plan.devices[1].to, A("192.168.1.51"));
    EXPECT_EQ(plan.devices[2].step, PlanStep::None);
}

TEST(ReaddressPlan, RefusesWhatTheAddressRulesRefuse) {
    ReaddressRequest outside = Request("192.168.1.50", nullptr);
    outside.gateway = A("192.168.2.1");
    ReaddressRequest holey = Request("192.168.1.50", nullptr);
    holey.mask = A("255.0.255.0");
    for (const ReaddressRequest& request :
         {outside, holey, Request("192.168.1.50", "192.168.1.40"), Request("192.168.1.50", "192.168.2.9"),
          Request("192.168.1.255", nullptr)}) {
        const ReaddressPlan plan = PlanReaddress({{"a", A("192.168.1.108"), false}}, request, {});
        EXPECT_EQ(plan.errorKey, "info.IP_set_error");
        EXPECT_TRUE(plan.devices.empty());
        EXPECT_TRUE(CandidateAddresses(request).empty());
    }
}

TEST(ReaddressPlan, IntoSubnetMovesOnlyTheDevicesTheListFindsUnreachableOrInConflict) {
    const auto record = [](const char* mac, const char* ip) {
        DeviceEntry entry;
        entry.mac = mac;
        entry.ip = ip;
        entry.interfaceName = "eth0";
        entry.localAddress = "192.168.1.10";
        return entry;
    };
    // Alone and reachable; on another subnet; sharing with a device not chosen.
    DeviceTable listed{{"02-00-00-00-00-01", record("02-00-00-00-00-01", "192.168.1.60")},
                       {"02-00-00-00-00-02", record("02-00-00-00-00-02", "10.1.1.1")},
                       {"02-00-00-00-00-03", record("02-00-00-00-00-03", "192.168.1.70")},
                       {"02-00-00-00-00-04", record("02-00-00-00-00-04", "192.168.1.70")}};
    const std::vector<const DeviceEntry*> chosen{
        &listed.at("02-00-00-00-00-01"), &listed.at("02-00-00-00-00-02"), &listed.at("02-00-00-00-00-03")};
    net::InterfaceAddress pc;
    pc.name = "eth0";
    pc.address = A("192.168.1.10");
    pc.mask = A("255.255.255.0");
    ReaddressRequest request = Request("192.168.1.100", nullptr);
    request.intoSubnet = true;
    std::string probedOn;
    const ReaddressPlan plan = PrepareReaddress(
        listed, chosen, request, {pc}, [&probedOn](const std::vector<uint32_t>&, const std::string& name) {
            probedOn = name;
            return std::set<uint32_t>{A("192.168.1.100")};
        });
    EXPECT_EQ(probedOn, "eth0");
    ASSERT_EQ(plan.devices.size(), 3u);
    EXPECT_EQ(plan.devices[0].step, PlanStep::Keep);
    EXPECT_EQ(plan.devices[1].to, A("192.168.1.101"));
    EXPECT_EQ(plan.devices[2].to, A("192.168.1.102"));
    request.intoSubnet = false;
    EXPECT_EQ(PrepareReaddress(listed, chosen, request, {pc}, nullptr).devices[0].to, A("192.168.1.100"));
}

} // namespace
