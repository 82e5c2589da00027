// The gateway and mask proposal and the check of the network dialog.
#include "discovery/address_range.h"
#include "discovery/ip_rules.h"

#include <gtest/gtest.h>

namespace {

uint32_t A(const char* text) {
    return AddressFromText(text);
}

TEST(AddressFromText, DottedDecimalOnly) {
    EXPECT_EQ(A("192.168.5.77"), 0xC0A8054Du);
    EXPECT_EQ(A("0.0.0.0"), 0u);
    EXPECT_EQ(A("255.255.255.255"), 0xFFFFFFFFu);
    for (const char* bad :
         {"", "1.2.3", "1.2.3.4.5", "256.1.1.1", "1.2.3.x", " 1.2.3.4", "1..2.3", "0001.2.3.4"}) {
        EXPECT_EQ(A(bad), kInvalidAddress) << bad;
    }
}

TEST(Proposal, GatewayAndMaskFromTheAddress) {
    const IpProposal home = ProposeGatewayAndMask("192.168.5.77");
    EXPECT_EQ(home.gateway, "192.168.5.1");
    EXPECT_EQ(home.mask, "255.255.255.0");
    const IpProposal office = ProposeGatewayAndMask("172.20.3.4");
    EXPECT_EQ(office.gateway, "172.20.3.1");
    EXPECT_EQ(office.mask, "255.255.0.0");
    const IpProposal outside = ProposeGatewayAndMask("8.8.4.4");
    EXPECT_EQ(outside.gateway, "8.8.4.1");
    EXPECT_EQ(outside.mask, "0.0.0.0");
    EXPECT_EQ(ProposeGatewayAndMask("10.1.2.3").mask, "255.0.0.0");
}

TEST(Proposal, RangeBoundsAreInclusiveAndEndBeforeBroadcast) {
    EXPECT_EQ(ProposeMask(A("10.0.0.0")), "255.0.0.0");
    EXPECT_EQ(ProposeMask(A("10.255.255.254")), "255.0.0.0");
    EXPECT_EQ(ProposeMask(A("10.255.255.255")), "0.0.0.0");
    EXPECT_EQ(ProposeMask(A("172.15.255.255")), "0.0.0.0");
    EXPECT_EQ(ProposeMask(A("172.16.0.0")), "255.255.0.0");
    EXPECT_EQ(ProposeMask(A("172.31.255.254")), "255.255.0.0");
    EXPECT_EQ(ProposeMask(A("172.32.0.0")), "0.0.0.0");
    EXPECT_EQ(ProposeMask(A("192.168.255.254")), "255.255.255.0");
    EXPECT_EQ(ProposeMask(A("192.169.0.1")), "0.0.0.0");
    // An unfinished address is no address.
    EXPECT_EQ(ProposeGatewayAndMask("192.168.").mask, "0.0.0.0");
    EXPECT_EQ(ProposeGatewayAndMask("192.168.").gateway, "192.168.1");
}

TEST(Check, TheExamples) {
    EXPECT_TRUE(CheckIpSettings(A("192.168.1.20"), A("255.255.255.0"), A("192.168.1.1")));
    // last octet 255
    EXPECT_FALSE(CheckIpSettings(A("192.168.1.255"), A("255.255.255.0"), A("192.168.1.1")));
    // gateway outside the subnet
    EXPECT_FALSE(CheckIpSettings(A("10.1.2.3"), A("255.0.0.0"), A("11.0.0.1")));
    EXPECT_TRUE(CheckIpSettings(A("10.1.2.3"), A("255.0.0.0"), A("10.200.0.1")));
    // mask not contiguous
    EXPECT_FALSE(CheckIpSettings(A("192.168.1.20"), A("255.255.0.255"), A("192.168.1.1")));
    EXPECT_FALSE(CheckIpSettings(A("192.168.1.20"), A("255.0.255.0"), A("192.168.1.1")));
    // the proposal for 8.8.4.4 fails the check
    EXPECT_FALSE(CheckIpSettings(A("8.8.4.4"), A("0.0.0.0"), A("8.8.4.1")));
    // zero address or gateway
    EXPECT_FALSE(CheckIpSettings(0, A("255.255.255.0"), A("192.168.1.1")));
    EXPECT_FALSE(CheckIpSettings(A("192.168.1.20"), A("255.255.255.0"), 0));
    // 255.255.255.255 is contiguous; then the gateway must be the address
    EXPECT_TRUE(CheckIpSettings(A("192.168.1.20"), A("255.255.255.255"), A("192.168.1.20")));
    EXPECT_FALSE(CheckIpSettings(A("192.168.1.20"), A("255.255.255.255"), A("192.168.1.1")));
}

TEST(Check, ContiguousMasks) {
    EXPECT_TRUE(IsContiguousMask(0xFFFFFF00));
    EXPECT_TRUE(IsContiguousMask(0xFFFFFFFF));
    EXPECT_TRUE(IsContiguousMask(0x80000000));
    EXPECT_TRUE(IsContiguousMask(0));
    EXPECT_FALSE(IsContiguousMask(0xFF00FF00));
    EXPECT_FALSE(IsContiguousMask(0x7FFFFFFF));
}

TEST(ParseAddressRange, OneAddressAFullRangeOrALastNumberWithinTheLimit) {
    const auto range = [](const char* text) { return ParseAddressRange(text).range; };
    EXPECT_EQ(range(" 10.1.2.3 "), (AddressRange{A("10.1.2.3"), A("10.1.2.3")}));
    EXPECT_EQ(range("10.1.2.10 - 40"), (AddressRange{A("10.1.2.10"), A("10.1.2.40")}));
    EXPECT_EQ(range("10.1.2.10-10.1.5.254"), (AddressRange{A("10.1.2.10"), A("10.1.5.254")}));
    EXPECT_EQ(ParseAddressRange("10.1.0.1-10.1.4.1").errorKey, std::string("info.Address_range_large"));
    for (const char* bad : {"", "10.1.2", "10.1.2.40-10", "10.1.2.3-256", "10.1.2.3-x", "0.0.0.0",
                            "239.255.255.250", "10.1.2.255", "10.1.2.3-10.1.2.255", "10.1.2.3-4-5"}) {
        const AddressRangeParse parsed = ParseAddressRange(bad);
        EXPECT_FALSE(parsed.range) << bad;
        EXPECT_EQ(parsed.errorKey, std::string("info.Address_range_bad")) << bad;
    }
}

} // namespace
