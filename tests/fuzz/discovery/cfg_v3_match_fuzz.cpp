// Matching a CFG.V3 reply to a request. The input's first bytes make the
// request's content; the rest is the reply. A confirmed match must mean the
// four conditions and an identical echo; a reply built from the request
// itself must always be recognised.
#include "discovery/datagrams.h"
#include "fuzz_check.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

uint32_t Take32(const uint8_t*& data, size_t& size) {
    uint32_t value = 0;
    const size_t n = std::min<size_t>(4, size);
    if (n == 0) {
        return value; // the empty input comes as a null pointer
    }
    std::memcpy(&value, data, n);
    data += n;
    size -= n;
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    NetworkConfig config;
    for (uint8_t& byte : config.mac) {
        byte = size > 0 ? *data : 0;
        data += size > 0 ? 1 : 0;
        size -= size > 0 ? 1 : 0;
    }
    config.ip = Take32(data, size);
    config.gateway = Take32(data, size);
    config.mask = Take32(data, size);
    config.dns1 = Take32(data, size);
    config.dns2 = Take32(data, size);
    config.dhcpMode = static_cast<uint8_t>(Take32(data, size));
    const std::vector<uint8_t> reply(data, data + size);
    const Datagram request = BuildConfigV3Request(config);

    const ConfigV3ReplyMatch match = MatchConfigV3Reply(reply, request);
    if (match != ConfigV3ReplyMatch::NotAReply) {
        Check(reply.size() == kConfigV3Size && HasMagic(reply, kConfigV3Magic));
        Check(reply[15] == 1);
        Check(std::equal(reply.begin() + 17, reply.begin() + 23, request.begin() + 17));
        Check(reply[25] == 0x01 && reply[26] == 0 && reply[27] == 0 && reply[28] == 0x80);
    }
    if (match == ConfigV3ReplyMatch::Confirmed) {
        Check(reply[29] != 0);
        Check(std::equal(reply.begin() + 241, reply.begin() + 262, request.begin() + 241));
    }
    if (match == ConfigV3ReplyMatch::Refused) {
        Check(reply[29] == 0);
    }
    // Either role's datagrams against each other.
    Check(MatchConfigV3Reply(request, request) == ConfigV3ReplyMatch::NotAReply);
    Check(MatchConfigV3Reply(BuildConfigV3Reply(config, 1), request) == ConfigV3ReplyMatch::Confirmed);
    Check(MatchConfigV3Reply(BuildConfigV3Reply(config, 0), request) == ConfigV3ReplyMatch::Refused);
    MatchConfigV3Reply(request, reply);
    MatchConfigV3Reply(reply, reply);
    return 0;
}
