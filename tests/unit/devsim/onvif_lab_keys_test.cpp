// The lab file's ONVIF keys: every key read, bad values refused, the
// writer's round trip, and native devices written as before.
#include "lab_file.h"
#include "onvif/onvif_defaults.h"
#include "population.h"

#include <gtest/gtest.h>

namespace {

const char* kDevice = R"([device]
name = gate
mac = 02-00-00-00-00-0b
ip = 10.77.16.11
admin-password = pw
family = both
onvif-type = recorder
endpoint = urn:uuid:gate
scopes = onvif://www.onvif.org/name/gate onvif://www.onvif.org/type/Recorder
onvif-port = 8080
xaddr = http://169.254.9.9/onvif/device_service
onvif-user = admin:pa:ss:Administrator
onvif-user = view:v:User
onvif-auth = wsse
clock-offset-s = -3600
manufacturer = Maker
serial = S1
hardware-id = H1
onvif-probe = untyped-only
onvif-slow-ms = 250
onvif-malformed = on
onvif-lock-after = 3
onvif-hello-after-ms = 1500
onvif-bye-after-ms = 4000
onvif-multicast = off
onvif-reboot-ms = 700
onvif-network-reboot = on
onvif-fixed-users = on
onvif-no-start-upgrade = on
onvif-no-system-uris = on
onvif-stays-down = on
onvif-codec = h265
onvif-media1 = off
onvif-media2 = on
rtsp-port = 8554
rtsp-stop-after-ms = 1500
)";

TEST(OnvifLabKeys, ReadsEveryKeyAndWritesThemBack) {
    const LabFileResult read = ParseLabText(kDevice);
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_TRUE(read.warnings.empty());
    const OnvifConfig& o = read.lab.devices.at(0).onvif;
    EXPECT_EQ(o.family, LabFamily::Both);
    EXPECT_EQ(o.kind, OnvifKind::Recorder);
    EXPECT_EQ(o.scopes.size(), 2u);
    EXPECT_EQ(o.port, 8080);
    ASSERT_EQ(o.users.size(), 2u);
    EXPECT_EQ(o.users[0].password, "pa:ss");
    EXPECT_EQ(o.users[1].level, OnvifUserLevel::User);
    EXPECT_TRUE(o.auth.wsse && !o.auth.digest);
    EXPECT_EQ(o.clockOffsetS, -3600);
    EXPECT_EQ(o.probe, ProbeAnswers::UntypedOnly);
    EXPECT_EQ(o.slowMs, 250);
    EXPECT_TRUE(o.malformed);
    EXPECT_EQ(o.lockAfter, 3);
    EXPECT_EQ(o.helloAfterMs, 1500);
    EXPECT_EQ(o.byeAfterMs, 4000);
    EXPECT_EQ(OnvifXAddrs(read.lab.devices[0]), "http://169.254.9.9/onvif/device_service");

    const std::string written = WriteLabText(read.lab);
    const LabFileResult again = ParseLabText(written);
    ASSERT_TRUE(again.ok) << again.error;
    EXPECT_EQ(WriteLabText(again.lab), written);
    // The settings' and the maintenance's switches come back from the writer.
    const OnvifConfig& w = again.lab.devices.at(0).onvif;
    EXPECT_FALSE(w.multicast);
    EXPECT_EQ(w.rebootMs, 700);
    EXPECT_TRUE(w.networkNeedsReboot && w.fixedUsers);
    EXPECT_TRUE(w.noStartFirmwareUpgrade && w.noSystemUris && w.staysDownAfterUpgrade);
    // And the media side's.
    EXPECT_TRUE(w.media.h265 && !w.media.media1 && w.media.media2);
    EXPECT_EQ(w.settings.rtsp.port, 8554);
    EXPECT_EQ(w.media.stopAfterMs, 1500);
}

TEST(OnvifLabKeys, DefaultsAndBadValues) {
    const LabFileResult plain =
        ParseLabText("[device]\nname = lobby 2\nmac = 02-00-00-00-00-0c\nip = 10.77.16.12\n"
                     "model = M9\nadmin-password = pw\nfamily = onvif\n");
    ASSERT_TRUE(plain.ok);
    const SimDevice& device = plain.lab.devices[0];
    EXPECT_EQ(OnvifEndpoint(device), "urn:uuid:c0a7e000-0000-4000-8000-02000000000C");
    EXPECT_EQ(OnvifXAddrs(device), "http://10.77.16.12/onvif/device_service");
    const std::vector<OnvifUser> users = OnvifUsers(device);
    ASSERT_EQ(users.size(), 1u);
    EXPECT_EQ(users[0].password, "pw");
    const std::vector<std::string> scopes = OnvifScopes(device);
    EXPECT_NE(std::find(scopes.begin(), scopes.end(), "onvif://www.onvif.org/name/lobby%202"), scopes.end());
    EXPECT_NE(std::find(scopes.begin(), scopes.end(), "onvif://www.onvif.org/hardware/M9"), scopes.end());

    for (const char* bad :
         {"family = odd", "onvif-type = dome", "onvif-user = admin:pw", "onvif-user = a:b:Root",
          "onvif-auth = basic", "onvif-port = 0", "onvif-port = 70000", "onvif-probe = some",
          "clock-offset-s = 1h", "onvif-malformed = maybe", "onvif-slow-ms = -1", "onvif-codec = mjpeg",
          "onvif-media2 = no", "rtsp-port = 0", "rtsp-stop-after-ms = -5"}) {
        const LabFileResult result =
            ParseLabText(std::string("[device]\nmac = 02-00-00-00-00-01\n") + bad + "\n");
        EXPECT_FALSE(result.ok) << bad;
    }
}

TEST(OnvifLabKeys, MixedPopulations) {
    // Without shares nothing ONVIF is written: generated labs stay as they were.
    const Lab native = GeneratePopulation(40, 3);
    EXPECT_EQ(WriteLabText(native).find("family"), std::string::npos);
    const Lab mixed = GeneratePopulation(200, 3, {50, 25});
    const Lab plain = GeneratePopulation(200, 3);
    int onvif = 0, both = 0;
    for (std::size_t i = 0; i < mixed.devices.size(); ++i) {
        const SimDevice& device = mixed.devices[i];
        onvif += device.onvif.family == LabFamily::Onvif ? 1 : 0;
        both += device.onvif.family == LabFamily::Both ? 1 : 0;
        // Everything else about a device stays as the native population has it.
        const SimDevice& same = plain.devices[i];
        EXPECT_EQ(device.fields.ip, same.fields.ip);
        EXPECT_EQ(device.texts.model, same.texts.model);
    }
    EXPECT_EQ(onvif, 100);
    EXPECT_EQ(both, 50);
}

} // namespace
