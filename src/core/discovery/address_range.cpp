#include "discovery/address_range.h"

#include "discovery/ip_rules.h"

#include <charconv>

namespace {

constexpr const char* kBadKey = "info.Address_range_bad";
constexpr const char* kLargeKey = "info.Address_range_large";

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// An address a device may hold: not 0.0.0.0, not multicast or reserved
// (224 and up), not a subnet's broadcast of .255.
bool Probeable(uint32_t address) {
    return address != 0 && address != kInvalidAddress && (address >> 28) < 0xE && (address & 0xFF) != 0xFF;
}

// The second part: a full address, or the last number alone.
uint32_t LastOf(uint32_t first, std::string_view text) {
    if (text.find('.') != std::string_view::npos) {
        return AddressFromText(text);
    }
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || text.size() > 3 || error != std::errc() || end != text.data() + text.size() ||
        value > 255) {
        return kInvalidAddress;
    }
    return (first & 0xFFFFFF00u) | value;
}

} // namespace

AddressRangeParse ParseAddressRange(std::string_view text) {
    text = Trimmed(text);
    const std::size_t dash = text.find('-');
    const uint32_t first = AddressFromText(Trimmed(text.substr(0, dash)));
    const uint32_t last =
        dash == std::string_view::npos ? first : LastOf(first, Trimmed(text.substr(dash + 1)));
    if (!Probeable(first) || !Probeable(last) || last < first) {
        return {std::nullopt, kBadKey};
    }
    if (last - first >= kMaxProbeAddresses) {
        return {std::nullopt, kLargeKey};
    }
    return {AddressRange{first, last}, nullptr};
}
