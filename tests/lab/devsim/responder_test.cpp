// The simulated devices' answers, decoded by the tool's own parsers: what
// one role encodes the other decodes. Faults change exactly what they say.
#include "discovery/datagrams.h"
#include "udp_responder.h"

#include <gtest/gtest.h>

namespace {

SimDevice Device(uint8_t last, uint8_t capabilities = 0x08) {
    SimDevice device;
    device.fields.mac = {0x02, 0, 0, 0, 0, last};
    device.fields.ip = 0x0A4D1000u | last;
    device.fields.mask = 0xFFFF0000;
    device.fields.gateway = 0x0A4D0001;
    device.fields.webPort = 80;
    device.fields.capabilities = capabilities;
    device.texts = {"IPC", "cloud", "V1", "now", "rel", "start", "M", "C0000"};
    device.adminPassword = "pw";
    return device;
}

std::vector<OutgoingDatagram> Handle(UdpResponder& responder, const Datagram& request, int64_t now = 0) {
    std::vector<OutgoingDatagram> out;
    responder.Handle(request, now, out);
    return out;
}

NetworkConfig ChangeFor(uint8_t last, const std::string& password) {
    NetworkConfig config;
    config.mac = {0x02, 0, 0, 0, 0, last};
    config.ip = 0x0A4D2001;
    config.gateway = 0x0A4D0001;
    config.mask = 0xFFFF0000;
    config.dns1 = 0x01010101;
    config.dns2 = 0x02020202;
    config.dhcpMode = 1;
    config.password = password;
    return config;
}

TEST(Responder, AnswersEachSearchWithTheDevicesThatSpeakIt) {
    Lab lab;
    lab.devices = {Device(1), Device(2), Device(3)};
    lab.devices[1].answersV3 = false;
    lab.devices[2].answersV1 = false;
    UdpResponder responder(lab);
    const auto v1 = Handle(responder, BuildSearchRequest(SearchVersion::V1), 100);
    ASSERT_EQ(v1.size(), 2u);
    for (const auto& reply : v1) {
        EXPECT_EQ(reply.dueMs, 100);
        const auto entry = ParseV1Reply(reply.bytes);
        ASSERT_TRUE(entry);
        EXPECT_TRUE(HasMagic(reply.bytes, kSearchV1Magic));
    }
    EXPECT_EQ(ParseV1Reply(v1[0].bytes)->ip, "10.77.16.1");
    const auto v3 = Handle(responder, BuildSearchRequest(SearchVersion::V3));
    ASSERT_EQ(v3.size(), 2u);
    const auto entry = ParseV3Reply(v3[1].bytes);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->mac, "02-00-00-00-00-03");
    EXPECT_EQ(entry->cloudId, "cloud");
    EXPECT_EQ(entry->customerCode, "C0000");
    // Anything else gets no answer.
    EXPECT_TRUE(Handle(responder, BuildV1Reply(lab.devices[0].fields)).empty());
    EXPECT_TRUE(Handle(responder, Datagram{'T', 'R'}).empty());
}

TEST(Responder, ReplyFaults) {
    Lab lab;
    lab.seed = 3;
    lab.devices = {Device(1), Device(2), Device(3), Device(4), Device(5)};
    lab.devices[0].faults.duplicates = 3;
    lab.devices[1].faults.malformed = kMalformedLength;
    lab.devices[2].faults.malformed = kMalformedLowercase | kMalformedUnterminated;
    lab.devices[3].faults.replyLoss = 1.0;
    lab.devices[4].faults.delayMs = 100;
    lab.devices[4].faults.jitterMs = 50;
    UdpResponder responder(lab);
    const auto v1 = Handle(responder, BuildSearchRequest(SearchVersion::V1), 1000);
    ASSERT_EQ(v1.size(), 7u); // 4 copies, 1, 1, none, 1
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(v1[i].bytes, v1[0].bytes);
    }
    EXPECT_EQ(v1[4].bytes.size(), 153u);
    EXPECT_FALSE(ParseV1Reply(v1[4].bytes));
    EXPECT_EQ(std::string(v1[5].bytes.begin(), v1[5].bytes.begin() + 16), "tremil.search.v1");
    EXPECT_TRUE(ParseV1Reply(v1[5].bytes));
    const auto v3 = Handle(responder, BuildSearchRequest(SearchVersion::V3), 1000);
    ASSERT_EQ(v3.size(), 7u);
    const Datagram& unterminated = v3[5].bytes;
    for (std::size_t i = 192; i < 576; ++i) {
        ASSERT_NE(unterminated[i], 0) << i;
    }
    EXPECT_EQ(ParseV3Reply(unterminated)->model, std::string(20, 'M'));
    const int64_t due = v3[6].dueMs;
    EXPECT_GE(due, 1100);
    EXPECT_LE(due, 1150);
}

TEST(Responder, AppliesConfigV2ForItsMac) {
    Lab lab;
    lab.devices = {Device(1, 0), Device(2, 0)};
    UdpResponder responder(lab);
    EXPECT_TRUE(Handle(responder, BuildConfigV2Request(ChangeFor(2, ""))).empty()); // never acknowledged
    const auto devices = responder.Devices();
    EXPECT_EQ(devices[0].fields.ip, 0x0A4D1001u);
    EXPECT_EQ(devices[1].fields.ip, 0x0A4D2001u);
    EXPECT_EQ(devices[1].fields.dns1, 0u); // CFG.V2 carries no DNS
    const auto v1 = Handle(responder, BuildSearchRequest(SearchVersion::V1));
    EXPECT_EQ(ParseV1Reply(v1[1].bytes)->ip, "10.77.32.1");
}

// The other sides follow a move: every listener hears of it once, with the
// device as it is now, and may read the devices again (no lock is held).
TEST(Responder, TellsEachMoveToEveryListenerOutsideItsLock) {
    Lab lab;
    lab.devices = {Device(1), Device(2)};
    UdpResponder responder(lab);
    std::vector<std::pair<std::size_t, uint32_t>> heard;
    for (int listener = 0; listener < 2; ++listener) {
        responder.AddMoveListener([&](std::size_t index, const SimDevice& device) {
            EXPECT_EQ(responder.Devices()[index].fields.ip, device.fields.ip);
            heard.emplace_back(index, device.fields.dns1);
        });
    }
    Handle(responder, BuildConfigV3Request(ChangeFor(2, "pw")));
    // Same address again, and a change that is no move: nothing to tell.
    Handle(responder, BuildConfigV3Request(ChangeFor(2, "pw")));
    responder.UpdateDevice(0, [](SimDevice& device) { device.fields.webPort = 81; });
    const std::vector<std::pair<std::size_t, uint32_t>> once{{1, 0x01010101u}, {1, 0x01010101u}};
    EXPECT_EQ(heard, once);
}

TEST(Responder, ConfigV3RefusedAcknowledgedOrFaulty) {
    Lab lab;
    lab.devices = {Device(1), Device(2), Device(3), Device(4, 0x00)};
    lab.devices[1].faults.noAck = true;
    lab.devices[2].faults.wrongEcho = true;
    UdpResponder responder(lab);

    const Datagram wrong = BuildConfigV3Request(ChangeFor(1, "nope"));
    auto out = Handle(responder, wrong);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(MatchConfigV3Reply(out[0].bytes, wrong), ConfigV3ReplyMatch::Refused);
    EXPECT_EQ(responder.Devices()[0].fields.ip, 0x0A4D1001u);

    const Datagram right = BuildConfigV3Request(ChangeFor(1, "pw"));
    out = Handle(responder, right);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(MatchConfigV3Reply(out[0].bytes, right), ConfigV3ReplyMatch::Confirmed);
    const SimDevice changed = responder.Devices()[0];
    EXPECT_EQ(changed.fields.ip, 0x0A4D2001u);
    EXPECT_EQ(changed.fields.dns2, 0x02020202u);
    EXPECT_EQ(changed.fields.dhcpMode, 1);
    // The acknowledgement does not carry the password back.
    EXPECT_EQ(std::string(out[0].bytes.begin() + 145, out[0].bytes.begin() + 147), std::string(2, '\0'));

    EXPECT_TRUE(Handle(responder, BuildConfigV3Request(ChangeFor(2, "pw"))).empty());
    EXPECT_EQ(responder.Devices()[1].fields.ip, 0x0A4D2001u); // applied, not acknowledged

    const Datagram echo = BuildConfigV3Request(ChangeFor(3, "pw"));
    out = Handle(responder, echo);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(MatchConfigV3Reply(out[0].bytes, echo), ConfigV3ReplyMatch::EchoMismatch);

    // A device without capability bit 3 does not understand CFG.V3.
    EXPECT_TRUE(Handle(responder, BuildConfigV3Request(ChangeFor(4, "pw"))).empty());
    EXPECT_EQ(responder.Devices()[3].fields.ip, 0x0A4D1004u);
}

} // namespace
