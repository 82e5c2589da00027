#include "discovery/ip_rules.h"

#include <array>

uint32_t AddressFromText(std::string_view text) {
    uint32_t value = 0;
    int parts = 0;
    std::size_t i = 0;
    while (parts < 4) {
        uint32_t part = 0;
        std::size_t digits = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 4) {
            part = part * 10 + static_cast<uint32_t>(text[i] - '0');
            ++i;
            ++digits;
        }
        if (digits == 0 || digits > 3 || part > 255) {
            return kInvalidAddress;
        }
        value = (value << 8) | part;
        ++parts;
        if (parts < 4) {
            if (i >= text.size() || text[i] != '.') {
                return kInvalidAddress;
            }
            ++i;
        }
    }
    return i == text.size() ? value : kInvalidAddress;
}

std::string ProposeMask(uint32_t address) {
    struct PrivateRange {
        const char* lower;
        const char* upper;
        const char* mask;
    };
    static constexpr std::array<PrivateRange, 3> kRanges{{
        {"10.0.0.0", "10.255.255.254", "255.0.0.0"},
        {"172.16.0.0", "172.31.255.254", "255.255.0.0"},
        {"192.168.0.0", "192.168.255.254", "255.255.255.0"},
    }};
    for (const PrivateRange& range : kRanges) {
        if (address >= AddressFromText(range.lower) && address <= AddressFromText(range.upper)) {
            return range.mask;
        }
    }
    return "0.0.0.0";
}

IpProposal ProposeGatewayAndMask(std::string_view addressText) {
    const std::size_t lastDot = addressText.rfind('.');
    // No dot at all leaves nothing before the ".1", as the text functions do.
    const std::string_view network =
        lastDot == std::string_view::npos ? std::string_view{} : addressText.substr(0, lastDot);
    IpProposal proposal;
    proposal.gateway = std::string(network) + ".1";
    proposal.mask = ProposeMask(AddressFromText(addressText));
    return proposal;
}

bool IsContiguousMask(uint32_t mask) {
    bool seenSetBit = false;
    for (int bit = 0; bit < 32; ++bit) {
        const bool set = ((mask >> bit) & 1U) != 0;
        if (seenSetBit && !set) {
            return false;
        }
        seenSetBit = seenSetBit || set;
    }
    return true;
}

bool CheckIpSettings(uint32_t address, uint32_t mask, uint32_t gateway) {
    return address != 0 && mask != 0 && gateway != 0 && (address & 0xFF) != 255 && IsContiguousMask(mask) &&
           (mask & gateway) == (address & mask);
}
