// Every parser of the discovery protocol on arbitrary bytes, as the search
// engine and the simulator receive them. The input is copied into a buffer
// of exactly its size, so any read past a datagram's end is caught.
#include "discovery/datagrams.h"
#include "fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> datagram(data, data + size);
    HasMagic(datagram, kSearchV1Magic);
    HasMagic(datagram, kSearchV3Magic);
    ParseSearchRequest(datagram);
    if (const auto v1 = ParseV1Reply(datagram)) {
        Check(size == kV1ReplySize);
        Check(v1->mac.size() == 17);
        Check(v1->onvifPort == 0 || v1->onvifPort == v1->webPort);
        Check(v1->model == kNoTextPlaceholder);
    }
    if (const auto v3 = ParseV3Reply(datagram)) {
        Check(size == kV3ReplySize);
        // Texts never run past their fields.
        Check(v3->type.size() <= 64 && v3->cloudId.size() <= 64 && v3->version.size() <= 32);
        Check(v3->deviceTime.size() <= 32 && v3->releaseTime.size() <= 32 && v3->startTime.size() <= 32);
        Check(v3->model.size() <= 20 && !v3->model.empty() && v3->customerCode.size() <= 108);
    }
    for (std::size_t shift : {std::size_t{0}, kV3ShiftOfV1Layout, size}) {
        ParseDiscoveryFields(datagram, shift);
    }
    ParseDiscoveryTexts(datagram);
    if (const auto v2 = ParseConfigV2Request(datagram)) {
        Check(BuildConfigV2Request(*v2).size() == kConfigV2RequestSize);
    }
    if (const auto v3 = ParseConfigV3Request(datagram)) {
        Check(v3->password.size() <= kConfigV3PasswordWidth);
        // A request the simulator parsed, built again, parses the same.
        const auto again = ParseConfigV3Request(BuildConfigV3Request(*v3));
        Check(again && again->password == v3->password && again->ip == v3->ip && again->mac == v3->mac);
    }
    return 0;
}
