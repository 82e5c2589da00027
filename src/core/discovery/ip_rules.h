#pragma once
// The rules that keep the addresses sent to a device plausible: a proposal
// of gateway and mask when the address is edited, and the check before a
// change is accepted. Addresses are host-order values (first octet most
// significant); 0 means empty or 0.0.0.0.
#include <cstdint>
#include <string>
#include <string_view>

inline constexpr uint32_t kInvalidAddress = 0xFFFFFFFF;

// Dotted decimal ("a.b.c.d", each 0..255) to a host-order value; any other
// text gives 0xFFFFFFFF.
uint32_t AddressFromText(std::string_view text);

struct IpProposal {
    std::string gateway; // the address up to its last "." followed by ".1"
    std::string mask;    // from the private range table, "0.0.0.0" outside it
};
// Run for each edit of the address, unless the address field is blank.
IpProposal ProposeGatewayAndMask(std::string_view addressText);
// The private range table: 10/8, 172.16/12, 192.168/16 (upper bounds end in
// .254) give 255.0.0.0, 255.255.0.0, 255.255.255.0; any other value "0.0.0.0".
std::string ProposeMask(uint32_t address);

// All six rules: non-zero address, mask and gateway, address not ending in
// 255, a contiguous mask, the gateway inside the address's subnet.
bool CheckIpSettings(uint32_t address, uint32_t mask, uint32_t gateway);
bool IsContiguousMask(uint32_t mask);
