// Lab files: every key, tolerance of unknown keys, errors, escapes, and the
// round trip through the writer; the generated population.
#include "lab_file.h"
#include "population.h"

#include <gtest/gtest.h>
#include <regex>
#include <set>

namespace {

const char* kLab = R"(# a lab
[lab]
seed = 42
jitter-ms = 30
reply-loss = 0.25
future-key = something

[device]
name = front door
mac = 02-00-00-00-00-0a
ip = 10.77.16.10
mask = 255.255.0.0
gateway = 10.77.0.1
dns1 = 10.77.0.2
dns2 = 8.8.8.8
dhcp = dhcp
tcp-port = 34567
web-port = 8080
capabilities = 0x09
onvif = off
answers = v1
type = IPC
model = HV-B21
cloud-id = \xff\xfeid
device-time = 2026-12-07 10:00:00
version = V5.2
release-time = 2026-01-01
start-time = 2026-12-01
customer-code = C1234
admin-password = pa\\ss
user = admin:pa\\ss
user = viewer:view:with:colons
reboot-seconds = 7
sdk-faults = refuse-login=3, slow-upgrade
duplicates = 2
malformed = lowercase, length
no-ack = on
wrong-echo = yes
jitter-ms = 0
colour = blue

[device]
mac = 02:00:00:00:00:0B

[sdk-extras]
anything = goes
)";

TEST(LabFile, ReadsEveryKeyAndWarnsAboutUnknownOnes) {
    const LabFileResult read = ParseLabText(kLab);
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_EQ(read.warnings.size(), 3u); // future-key, colour, [sdk-extras]
    EXPECT_EQ(read.lab.seed, 42u);
    EXPECT_DOUBLE_EQ(read.lab.faults.replyLoss, 0.25);
    ASSERT_EQ(read.lab.devices.size(), 2u);
    const SimDevice& d = read.lab.devices[0];
    EXPECT_EQ(d.name, "front door");
    EXPECT_EQ(MacToText(d.fields.mac), "02-00-00-00-00-0A");
    EXPECT_EQ(d.fields.ip, 0x0A4D100Au);
    EXPECT_EQ(d.fields.mask, 0xFFFF0000u);
    EXPECT_EQ(d.fields.dns2, 0x08080808u);
    EXPECT_EQ(d.fields.dhcpMode, 1);
    EXPECT_EQ(d.fields.webPort, 8080);
    EXPECT_EQ(d.fields.capabilities, 0x09);
    EXPECT_NE(d.fields.onvifOffWord, 0);
    EXPECT_TRUE(d.answersV1);
    EXPECT_FALSE(d.answersV3);
    EXPECT_EQ(d.texts.cloudId, "\xff\xfeid");
    EXPECT_EQ(d.texts.customerCode, "C1234");
    EXPECT_EQ(d.adminPassword, "pa\\ss");
    ASSERT_EQ(d.users.size(), 2u);
    EXPECT_EQ(d.users[1].name, "viewer");
    EXPECT_EQ(d.users[1].password, "view:with:colons");
    EXPECT_EQ(d.rebootSeconds, 7);
    EXPECT_EQ(d.sdkFaults, "refuse-login=3, slow-upgrade");
    // Device faults start from the lab's and override them.
    EXPECT_DOUBLE_EQ(d.faults.replyLoss, 0.25);
    EXPECT_EQ(d.faults.jitterMs, 0);
    EXPECT_EQ(d.faults.duplicates, 2);
    EXPECT_EQ(d.faults.malformed, unsigned{kMalformedLowercase | kMalformedLength});
    EXPECT_TRUE(d.faults.noAck);
    EXPECT_TRUE(d.faults.wrongEcho);
    const SimDevice& plain = read.lab.devices[1];
    EXPECT_EQ(plain.faults.jitterMs, 30);
    EXPECT_EQ(plain.fields.tcpPort, 34567);
    EXPECT_TRUE(plain.answersV1 && plain.answersV3);
}

TEST(LabFile, BadValuesAreErrorsWithTheirLine) {
    for (const char* text :
         {"[device]\nmac = 02-00-00-00-00\n", "[device]\nmac = 02-00-00-00-00-01\nip = 300.1.1.1\n",
          "[device]\nmac = 02-00-00-00-00-01\nweb-port = 70000\n", "[lab]\nreply-loss = 2\n",
          "[device]\nip = 10.0.0.1\n", "[device\n", "key = outside\n", "[lab]\nnot a pair\n",
          "[device]\nmac = 02-00-00-00-00-01\nmalformed = sideways\n"}) {
        const LabFileResult read = ParseLabText(text);
        EXPECT_FALSE(read.ok) << text;
        EXPECT_NE(read.error.find("line "), std::string::npos) << read.error;
    }
}

void ExpectSameLab(const Lab& a, const Lab& b) {
    ASSERT_EQ(a.devices.size(), b.devices.size());
    EXPECT_EQ(a.seed, b.seed);
    for (std::size_t i = 0; i < a.devices.size(); ++i) {
        const SimDevice& x = a.devices[i];
        const SimDevice& y = b.devices[i];
        EXPECT_EQ(BuildV3Reply(x.fields, x.texts), BuildV3Reply(y.fields, y.texts)) << i;
        EXPECT_EQ(x.name, y.name);
        EXPECT_EQ(x.adminPassword, y.adminPassword);
        EXPECT_EQ(x.users.size(), y.users.size());
        EXPECT_EQ(x.rebootSeconds, y.rebootSeconds);
        EXPECT_EQ(x.sdkFaults, y.sdkFaults);
        EXPECT_EQ(x.answersV1, y.answersV1);
        EXPECT_EQ(x.answersV3, y.answersV3);
        EXPECT_EQ(x.faults.jitterMs, y.faults.jitterMs);
        EXPECT_EQ(x.faults.malformed, y.faults.malformed);
        EXPECT_EQ(x.faults.noAck, y.faults.noAck);
    }
}

TEST(LabFile, WrittenLabReadsBackTheSame) {
    const LabFileResult original = ParseLabText(kLab);
    ASSERT_TRUE(original.ok);
    const LabFileResult again = ParseLabText(WriteLabText(original.lab));
    ASSERT_TRUE(again.ok) << again.error;
    EXPECT_TRUE(again.warnings.empty());
    ExpectSameLab(original.lab, again.lab);
    const Lab population = GeneratePopulation(50, 9);
    const LabFileResult generated = ParseLabText(WriteLabText(population));
    ASSERT_TRUE(generated.ok) << generated.error;
    ExpectSameLab(population, generated.lab);
}

TEST(LabFile, EscapesCoverEveryByte) {
    std::string all;
    for (int c = 0; c < 256; ++c) {
        all += static_cast<char>(c);
    }
    EXPECT_EQ(UnescapeLabValue(EscapeLabValue(all)), all);
    EXPECT_EQ(UnescapeLabValue(EscapeLabValue(" padded ")), " padded ");
    EXPECT_EQ(UnescapeLabValue("\\x4"), "\\x4"); // an incomplete escape stays as written
}

TEST(Population, ReproducibleDistinctAndInTheLabRange) {
    const Lab a = GeneratePopulation(1000, 5);
    const Lab b = GeneratePopulation(1000, 5);
    const Lab c = GeneratePopulation(1000, 6);
    ASSERT_EQ(a.devices.size(), 1000u);
    EXPECT_EQ(WriteLabText(a), WriteLabText(b));
    EXPECT_NE(WriteLabText(a), WriteLabText(c));
    std::set<std::string> macs;
    std::set<uint32_t> addresses;
    for (const SimDevice& device : a.devices) {
        macs.insert(MacToText(device.fields.mac));
        addresses.insert(device.fields.ip);
        // 10.77.16.0/20, never .0 or .255
        EXPECT_EQ(device.fields.ip & 0xFFFFF000u, 0x0A4D1000u);
        EXPECT_NE(device.fields.ip & 0xFF, 0u);
        EXPECT_NE(device.fields.ip & 0xFF, 255u);
        // Versions as real devices write them: "V5.3.17 Build: 2026-10-23".
        EXPECT_TRUE(std::regex_match(
            device.texts.version,
            std::regex(R"(V5\.\d{1,2}\.\d{1,2} Build: 2026-(0[1-9]|1[0-2])-(0[1-9]|1\d|2[0-8]))")))
            << device.texts.version;
    }
    EXPECT_EQ(macs.size(), 1000u);
    EXPECT_EQ(addresses.size(), 1000u);
    EXPECT_EQ(GeneratePopulation(kMaxPopulation + 10, 1).devices.size(),
              static_cast<std::size_t>(kMaxPopulation));
}

} // namespace
