#pragma once
// The addresses a probe by address goes to: one address, or a range typed
// as "FIRST-LAST" or "FIRST-N" (N replaces the last number of FIRST), for
// devices on a routed subnet that a broadcast or multicast search cannot
// reach. Host-order values, first octet most significant.
#include <cstdint>
#include <optional>
#include <string_view>

// At most this many addresses in one probe: a /22.
inline constexpr uint32_t kMaxProbeAddresses = 1024;

struct AddressRange {
    uint32_t first = 0;
    uint32_t last = 0;

    uint32_t Count() const { return last - first + 1; }
    bool operator==(const AddressRange&) const = default;
};

struct AddressRangeParse {
    std::optional<AddressRange> range;
    // The language key of the refusal when range is empty.
    const char* errorKey = nullptr;
};

// Blanks around the parts are ignored. Refused: text that is no address or
// range ("info.Address_range_bad"), a last address before the first, 0.0.0.0,
// multicast or broadcast addresses ("info.Address_range_bad"), and more than
// kMaxProbeAddresses addresses ("info.Address_range_large").
AddressRangeParse ParseAddressRange(std::string_view text);
