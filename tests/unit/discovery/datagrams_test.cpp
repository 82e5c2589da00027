// Every field of the discovery datagrams at its offset, built and parsed.
#include "discovery/datagrams.h"

#include <gtest/gtest.h>
#include <string>

namespace {

DiscoveryFields SampleFields() {
    DiscoveryFields f;
    f.onvifOffWord = 0;
    f.mac = {0x00, 0x1A, 0x2B, 0xC3, 0xD4, 0xEF};
    f.ip = 0xC0A80105;      // 192.168.1.5
    f.mask = 0xFFFFFF00;    // 255.255.255.0
    f.gateway = 0xC0A80101; // 192.168.1.1
    f.dns1 = 0x08080808;
    f.dns2 = 0x01020304;
    f.tcpPort = 34567; // 0x8707
    f.webPort = 8080;  // 0x1F90
    f.capabilities = 0x09;
    f.dhcpMode = 2;
    return f;
}

DiscoveryTexts SampleTexts() {
    return {"IPC",        "cloud-1234",          "V5.2.1", "2026-12-07 10:00:00",
            "2026-01-02", "2026-12-01 08:00:00", "HV-B21", "C1234"};
}

std::string TextAt(const Datagram& d, std::size_t offset, std::size_t width) {
    return std::string(d.begin() + static_cast<long>(offset), d.begin() + static_cast<long>(offset + width));
}

void ExpectNumericLayout(const Datagram& d, std::size_t shift) {
    EXPECT_EQ(d[100 + shift], 0x00);
    EXPECT_EQ(d[101 + shift], 0x00);
    const uint8_t mac[] = {0x00, 0x1A, 0x2B, 0xC3, 0xD4, 0xEF};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(d[106 + shift + i], mac[i]) << "mac byte " << i;
    }
    const uint8_t addresses[] = {192, 168, 1, 5, 255, 255, 255, 0, 192, 168, 1, 1, 8, 8, 8, 8, 1, 2, 3, 4};
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(d[116 + shift + i], addresses[i]) << "address byte " << i;
    }
    EXPECT_EQ(d[136 + shift], 0x07); // TCP port, little-endian
    EXPECT_EQ(d[137 + shift], 0x87);
    EXPECT_EQ(d[140 + shift], 0x90); // web port
    EXPECT_EQ(d[141 + shift], 0x1F);
    EXPECT_EQ(d[142 + shift], 0x09);
    EXPECT_EQ(d[143 + shift], 2);
}

TEST(SearchRequest, IsTheMagicAlone) {
    const Datagram v1 = BuildSearchRequest(SearchVersion::V1);
    EXPECT_EQ(std::string(v1.begin(), v1.end()), "TREMIL.SEARCH.V1");
    const Datagram v3 = BuildSearchRequest(SearchVersion::V3);
    EXPECT_EQ(std::string(v3.begin(), v3.end()), "TREMIL.SEARCH.V3");
    EXPECT_EQ(ParseSearchRequest(v3), SearchVersion::V3);
    const std::string lower = "tremil.search.v1";
    EXPECT_EQ(ParseSearchRequest(Datagram(lower.begin(), lower.end())), SearchVersion::V1);
    Datagram longer = v1;
    longer.push_back(0);
    EXPECT_FALSE(ParseSearchRequest(longer));
}

TEST(V1Reply, FieldsSitAtTheirOffsetsAndParseBack) {
    const Datagram d = BuildV1Reply(SampleFields());
    ASSERT_EQ(d.size(), 152u);
    EXPECT_EQ(TextAt(d, 0, 16), "TREMIL.SEARCH.V1");
    ExpectNumericLayout(d, 0);

    const auto entry = ParseV1Reply(d);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->mac, "00-1A-2B-C3-D4-EF");
    EXPECT_EQ(entry->ip, "192.168.1.5");
    EXPECT_EQ(entry->mask, "255.255.255.0");
    EXPECT_EQ(entry->gateway, "192.168.1.1");
    EXPECT_EQ(entry->dns1, "8.8.8.8");
    EXPECT_EQ(entry->dns2, "1.2.3.4");
    EXPECT_EQ(entry->tcpPort, 34567);
    EXPECT_EQ(entry->webPort, 8080);
    EXPECT_EQ(entry->capabilities, 0x09);
    EXPECT_EQ(entry->dhcpMode, 2);
    // ONVIF-off word 0: ONVIF on the web port.
    EXPECT_EQ(entry->onvifAvailable, 1);
    EXPECT_EQ(entry->onvifPort, 8080);
    // A V1-only device keeps the placeholders and no customer code.
    EXPECT_EQ(entry->type, "-- --");
    EXPECT_EQ(entry->model, "-- --");
    EXPECT_EQ(entry->cloudId, "-- --");
    EXPECT_EQ(entry->deviceTime, "-- --");
    EXPECT_EQ(entry->version, "-- --");
    EXPECT_EQ(entry->releaseTime, "-- --");
    EXPECT_EQ(entry->startTime, "-- --");
    EXPECT_EQ(entry->customerCode, "");
}

TEST(V1Reply, OnvifOffWordAndUnreadBytes) {
    DiscoveryFields f = SampleFields();
    f.onvifOffWord = 0x0100; // only the high byte set
    Datagram d = BuildV1Reply(f);
    // Bytes the tool does not read may hold anything.
    for (std::size_t i : {16u, 99u, 102u, 105u, 112u, 115u, 138u, 139u, 144u, 151u}) {
        d[i] = 0xEE;
    }
    const auto entry = ParseV1Reply(d);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->onvifAvailable, 0);
    EXPECT_EQ(entry->onvifPort, 0);
    EXPECT_EQ(entry->webPort, 8080);
    EXPECT_EQ(entry->mac, "00-1A-2B-C3-D4-EF");
    EXPECT_EQ(entry->tcpPort, 34567);
}

TEST(V1Reply, OnlyExactly152Bytes) {
    Datagram d = BuildV1Reply(SampleFields());
    Datagram shorter(d.begin(), d.end() - 1);
    Datagram longer = d;
    longer.push_back(0);
    EXPECT_FALSE(ParseV1Reply(shorter));
    EXPECT_FALSE(ParseV1Reply(longer));
    EXPECT_FALSE(ParseV1Reply({}));
}

TEST(V3Reply, FieldsSitAtTheirOffsetsAndParseBack) {
    const Datagram d = BuildV3Reply(SampleFields(), SampleTexts());
    ASSERT_EQ(d.size(), 576u);
    EXPECT_EQ(TextAt(d, 0, 16), "TREMIL.SEARCH.V3");
    EXPECT_EQ(d[16], 1);
    EXPECT_EQ(d[17], 0);
    ExpectNumericLayout(d, 40);
    EXPECT_EQ(TextAt(d, 192, 4), std::string("IPC\0", 4));
    EXPECT_EQ(TextAt(d, 256, 11), std::string("cloud-1234\0", 11));
    EXPECT_EQ(TextAt(d, 320, 7), std::string("V5.2.1\0", 7));
    EXPECT_EQ(TextAt(d, 352, 19), "2026-12-07 10:00:00");
    EXPECT_EQ(TextAt(d, 384, 10), "2026-01-02");
    EXPECT_EQ(TextAt(d, 416, 19), "2026-12-01 08:00:00");
    EXPECT_EQ(TextAt(d, 448, 7), std::string("HV-B21\0", 7));
    EXPECT_EQ(TextAt(d, 468, 6), std::string("C1234\0", 6));

    const auto entry = ParseV3Reply(d);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->mac, "00-1A-2B-C3-D4-EF");
    EXPECT_EQ(entry->ip, "192.168.1.5");
    EXPECT_EQ(entry->webPort, 8080);
    EXPECT_EQ(entry->onvifPort, 8080);
    EXPECT_EQ(entry->type, "IPC");
    EXPECT_EQ(entry->cloudId, "cloud-1234");
    EXPECT_EQ(entry->version, "V5.2.1");
    EXPECT_EQ(entry->deviceTime, "2026-12-07 10:00:00");
    EXPECT_EQ(entry->releaseTime, "2026-01-02");
    EXPECT_EQ(entry->startTime, "2026-12-01 08:00:00");
    EXPECT_EQ(entry->model, "HV-B21");
    EXPECT_EQ(entry->customerCode, "C1234");
}

TEST(V3Reply, EmptyModelBecomesPlaceholderOtherTextsStayEmpty) {
    const auto entry = ParseV3Reply(BuildV3Reply(SampleFields(), DiscoveryTexts{}));
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->model, "-- --");
    EXPECT_EQ(entry->type, "");
    EXPECT_EQ(entry->cloudId, "");
    EXPECT_EQ(entry->startTime, "");
    EXPECT_EQ(entry->customerCode, "");
}

TEST(V3Reply, UnterminatedTextsStopAtTheirFieldsEnd) {
    DiscoveryTexts texts;
    texts.type = std::string(64, 'T');
    texts.cloudId = std::string(64, 'C');
    texts.version = std::string(32, 'V');
    texts.deviceTime = std::string(32, 'D');
    texts.releaseTime = std::string(32, 'R');
    texts.startTime = std::string(32, 'S');
    texts.model = std::string(20, 'M');
    texts.customerCode = std::string(108, 'K');
    const Datagram d = BuildV3Reply(SampleFields(), texts, true);
    // No zero byte anywhere from the first text to the datagram's end.
    for (std::size_t i = 192; i < 576; ++i) {
        ASSERT_NE(d[i], 0) << i;
    }
    const auto entry = ParseV3Reply(d);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->type, texts.type);
    EXPECT_EQ(entry->cloudId, texts.cloudId);
    EXPECT_EQ(entry->version, texts.version);
    EXPECT_EQ(entry->deviceTime, texts.deviceTime);
    EXPECT_EQ(entry->releaseTime, texts.releaseTime);
    EXPECT_EQ(entry->startTime, texts.startTime);
    EXPECT_EQ(entry->model, texts.model);
    EXPECT_EQ(entry->customerCode, texts.customerCode);
}

TEST(V3Reply, DeviceBytesAreKeptAsSent) {
    DiscoveryTexts texts = SampleTexts();
    texts.type = "\xff\xfe<b>\"x\"";
    const auto entry = ParseV3Reply(BuildV3Reply(SampleFields(), texts));
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->type, texts.type);
    EXPECT_FALSE(ParseV3Reply(Datagram(575, 0)));
    EXPECT_FALSE(ParseV3Reply(Datagram(577, 0)));
}

TEST(Magic, ComparedWithoutRegardToCaseOverItsLength) {
    const std::string lower = "tremil.search.v1 and more";
    const Datagram d(lower.begin(), lower.end());
    EXPECT_TRUE(HasMagic(d, kSearchV1Magic));
    EXPECT_FALSE(HasMagic(d, kSearchV3Magic));
    EXPECT_FALSE(HasMagic(Datagram(d.begin(), d.begin() + 15), kSearchV1Magic));
    const std::string mixed = "Tremil.Cfg.v3";
    EXPECT_TRUE(HasMagic(Datagram(mixed.begin(), mixed.end()), kConfigV3Magic));
}

TEST(Mac, TextFormsAndParsing) {
    const MacBytes mac{0x00, 0x1A, 0x2B, 0xC3, 0xD4, 0xEF};
    EXPECT_EQ(MacToText(mac), "00-1A-2B-C3-D4-EF");
    EXPECT_EQ(MacToPlainText(mac), "001A2BC3D4EF");
    EXPECT_EQ(MacFromText("00-1a-2b-c3-d4-ef"), mac);
    EXPECT_EQ(MacFromText("00:1A:2B:C3:D4:EF"), mac);
    // A short or broken text gives zero for what is missing, never a crash.
    EXPECT_EQ(MacFromText("00-1A"), (MacBytes{0x00, 0x1A, 0, 0, 0, 0}));
    EXPECT_EQ(MacFromText("zz-1g-2B"), (MacBytes{0, 0x01, 0x2B, 0, 0, 0}));
}

TEST(ConfigV2Request, LayoutAddressGatewayMask) {
    NetworkConfig config;
    config.mac = {0x00, 0x1A, 0x2B, 0xC3, 0xD4, 0xEF};
    config.ip = 0x0A000005;
    config.gateway = 0x0A000001;
    config.mask = 0xFF000000;
    const Datagram d = BuildConfigV2Request(config);
    ASSERT_EQ(d.size(), 33u);
    EXPECT_EQ(TextAt(d, 0, 13), "TREMIL.CFG.V2");
    EXPECT_EQ(TextAt(d, 13, 6), std::string("\x00\x1A\x2B\xC3\xD4\xEF", 6));
    EXPECT_EQ(d[19], 0);
    EXPECT_EQ(d[20], 0);
    EXPECT_EQ(TextAt(d, 21, 4), std::string("\x0A\x00\x00\x05", 4));
    EXPECT_EQ(TextAt(d, 25, 4), std::string("\x0A\x00\x00\x01", 4));
    EXPECT_EQ(TextAt(d, 29, 4), std::string("\xFF\x00\x00\x00", 4));
    const auto parsed = ParseConfigV2Request(d);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->mac, config.mac);
    EXPECT_EQ(parsed->ip, config.ip);
    EXPECT_EQ(parsed->gateway, config.gateway);
    EXPECT_EQ(parsed->mask, config.mask);
    EXPECT_FALSE(ParseConfigV2Request(Datagram(d.begin(), d.end() - 1)));
}

TEST(ConfigV3Request, LayoutOfEveryField) {
    DeviceEntry entry;
    entry.mac = "00-1a-2b-c3-d4-ef";
    entry.ip = "192.168.7.20";
    entry.gateway = "192.168.7.1";
    entry.mask = "255.255.255.0";
    entry.dns1 = "192.168.7.2";
    entry.dns2 = "9.9.9.9";
    entry.dhcpMode = 1;
    const Datagram d = BuildConfigV3Request(NetworkConfigFromEntry(entry, "s3cret"));
    ASSERT_EQ(d.size(), 285u);
    EXPECT_EQ(TextAt(d, 0, 13), "TREMIL.CFG.V3");
    EXPECT_EQ(d[13], 0x24);
    EXPECT_EQ(d[14], 0xEC);
    EXPECT_EQ(d[15], 0); // direction: request
    EXPECT_EQ(d[16], 0x01);
    EXPECT_EQ(TextAt(d, 17, 6), std::string("\x00\x1A\x2B\xC3\xD4\xEF", 6));
    EXPECT_EQ(TextAt(d, 23, 2), std::string(2, '\0'));
    EXPECT_EQ(TextAt(d, 25, 4), std::string("\x01\x00\x00\x80", 4));
    EXPECT_EQ(d[29], 0);
    EXPECT_EQ(TextAt(d, 30, 19), std::string(19, '\0'));
    EXPECT_EQ(TextAt(d, 49, 96), "admin" + std::string(91, '\0'));
    EXPECT_EQ(TextAt(d, 145, 96), "s3cret" + std::string(90, '\0'));
    EXPECT_EQ(TextAt(d, 241, 4), std::string("\xC0\xA8\x07\x14", 4));
    EXPECT_EQ(TextAt(d, 245, 4), std::string("\xC0\xA8\x07\x01", 4));
    EXPECT_EQ(TextAt(d, 249, 4), std::string("\xFF\xFF\xFF\x00", 4));
    EXPECT_EQ(TextAt(d, 253, 4), std::string("\xC0\xA8\x07\x02", 4));
    EXPECT_EQ(TextAt(d, 257, 4), std::string("\x09\x09\x09\x09", 4));
    EXPECT_EQ(d[261], 1);
    EXPECT_EQ(TextAt(d, 262, 23), std::string(23, '\0'));

    const auto parsed = ParseConfigV3Request(d);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->user, "admin");
    EXPECT_EQ(parsed->password, "s3cret");
    EXPECT_EQ(parsed->ip, 0xC0A80714u);
    EXPECT_EQ(parsed->dns2, 0x09090909u);
    EXPECT_EQ(parsed->dhcpMode, 1);
}

TEST(ConfigV3Request, PasswordTakesAtMost96BytesWithoutTerminator) {
    DeviceEntry entry;
    entry.mac = "00-00-00-00-00-01";
    const Datagram d = BuildConfigV3Request(NetworkConfigFromEntry(entry, std::string(96, 'p') + "overflow"));
    ASSERT_EQ(d.size(), 285u);
    EXPECT_EQ(TextAt(d, 145, 96), std::string(96, 'p'));
    EXPECT_EQ(d[241], 255); // the address follows untouched (empty text: no address)
    const auto parsed = ParseConfigV3Request(d);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->password, std::string(96, 'p'));
}

} // namespace
