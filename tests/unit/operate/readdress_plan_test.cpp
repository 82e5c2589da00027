#include "discovery/ip_rules.h"
#include "operate/readdress_plan.h"

#include <gtest/gtest.h>

namespace {

uint32_t A(const char* text) {
    return AddressFromText(text);
}

LocalNetwork Pc() {
    return {"eth0", A("192.168.1.10"), A("255.255.255.0")};
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
    const std::vector<ReaddressDevice> devices{{"02-00-00-00-00-03", factory, Pc()},
                                               {"02-00-00-00-00-01", factory, Pc()},
                                               {"02-00-00-00-00-02", factory, Pc()},
                                               {"02-00-00-00-00-04", factory, Pc()}};
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
        {"a", A("192.168.1.108"), Pc()}, {"b", A("192.168.1.108"), Pc()}, {"c", A("192.168.1.108"), Pc()}};
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
        const ReaddressPlan plan = PlanReaddress({{"a", A("192.168.1.108"), Pc()}}, request, {});
        EXPECT_EQ(plan.errorKey, "info.IP_set_error");
        EXPECT_TRUE(plan.devices.empty());
        EXPECT_TRUE(CandidateAddresses(request).empty());
    }
}

TEST(ReaddressPlan, IntoSubnetMovesOnlyUnreachableAndConflictingDevices) {
    const std::vector<ReaddressDevice> devices{
        {"1-alone", A("192.168.1.60"), Pc()},                 // reachable and alone: stays
        {"2-elsewhere", A("10.1.1.1"), Pc()},                 // not on the PC's subnet
        {"3-conflict", A("192.168.1.70"), Pc()},              // shares with a listed device not chosen
        {"4-unknown-pc", A("192.168.1.80"), LocalNetwork{}}}; // found on no known interface
    TakenAddresses taken;
    taken.listed = {A("192.168.1.60"), A("10.1.1.1"), A("192.168.1.70"), A("192.168.1.70"),
                    A("192.168.1.80")};
    ReaddressRequest request = Request("192.168.1.100", nullptr);
    request.intoSubnet = true;
    const ReaddressPlan plan = PlanReaddress(devices, request, taken);
    ASSERT_EQ(plan.devices.size(), 4u);
    EXPECT_EQ(plan.devices[0].step, PlanStep::Keep);
    EXPECT_EQ(plan.devices[1].to, A("192.168.1.100"));
    EXPECT_EQ(plan.devices[2].to, A("192.168.1.101"));
    EXPECT_EQ(plan.devices[3].to, A("192.168.1.102"));
    request.intoSubnet = false;
    EXPECT_EQ(PlanReaddress(devices, request, taken).devices[0].to, A("192.168.1.100"));
}

} // namespace
