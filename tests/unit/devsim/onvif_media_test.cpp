// The media services of a simulated device as a pure function: the
// profiles and addresses each of Media2 and Media1 gives (read back from
// the XML), the lab's switches and codec, logins and the lock shared with
// the device service, and the snapshot's digest login.
#include "onvif/device_service.h"
#include "onvif_login_helpers.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>
#include <string>

namespace {

using namespace soaptest;

constexpr int64_t kNow = 1796724000; // 2026-12-08T10:00:00Z
constexpr const char* kMedia2 = "http://www.onvif.org/ver20/media/wsdl";
constexpr const char* kMedia1 = "http://www.onvif.org/ver10/media/wsdl";

std::string Envelope(const char* ns, const std::string& operation, const std::string& inner,
                     const std::string& header) {
    return "<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\" "
           "xmlns:tt=\"http://www.onvif.org/ver10/schema\"><s:Header>" +
           header + "</s:Header><s:Body><m:" + operation + " xmlns:m=\"" + ns + "\">" + inner +
           "</m:" + operation + "></s:Body></s:Envelope>";
}

struct Reply {
    int status = 0;
    pugi::xml_document xml;
    std::string All(const char* path) const {
        std::string out;
        for (const pugi::xpath_node& node : xml.select_nodes(path)) {
            out += (out.empty() ? "" : " ") + std::string(node.node().text().as_string());
        }
        return out;
    }
};

class Media : public ::testing::Test {
protected:
    Media() {
        m_state.device.name = "cam";
        m_state.device.fields.ip = 0x0A4D1001;
        m_state.device.onvif.family = LabFamily::Onvif;
        m_state.device.onvif.users = {{"admin", "a-pass", OnvifUserLevel::Administrator},
                                      {"view", "v-pass", OnvifUserLevel::User}};
        m_state.nonceSecret = "test";
    }
    onvifsim::ServiceResponse Raw(const std::string& method, const std::string& path, const std::string& body,
                                  const std::string& authorization = {}) {
        return onvifsim::HandleDeviceService({method, path, authorization, body}, m_state, kNow);
    }
    // A call as a User-level viewer (or with the password given).
    Reply Call(const char* ns, const std::string& operation, const std::string& inner = {},
               const std::string& password = "v-pass") {
        const char* path = ns == kMedia2 ? "/onvif/media2_service" : "/onvif/media_service";
        const onvifsim::ServiceResponse response =
            Raw("POST", path, Envelope(ns, operation, inner, Token("view", password, kNow)));
        Reply reply;
        reply.status = response.status;
        reply.xml.load_string(response.body.c_str());
        return reply;
    }
    Reply Device(const std::string& operation, const std::string& inner) {
        const onvifsim::ServiceResponse response =
            Raw("POST", "/onvif/device_service",
                Envelope("http://www.onvif.org/ver10/device/wsdl", operation, inner, {}));
        Reply reply;
        reply.status = response.status;
        reply.xml.load_string(response.body.c_str());
        return reply;
    }

    onvifsim::DeviceServiceState m_state;
};

constexpr const char* kEncodings = "//*[local-name()='VideoEncoder']/*[local-name()='Encoding']";
constexpr const char* kWidths = "//*[local-name()='Resolution']/*[local-name()='Width']";
constexpr const char* kUri = "//*[local-name()='Uri']";
constexpr const char* kSubcode = "//*[local-name()='Subcode']/*[local-name()='Value']";

} // namespace

TEST_F(Media, Media2ProfilesAndAddresses) {
    const Reply all = Call(kMedia2, "GetProfiles", "<m:Type>All</m:Type>");
    ASSERT_EQ(all.status, 200);
    EXPECT_EQ(all.All("//*[local-name()='Profiles']/*[local-name()='Name']"), "main sub");
    EXPECT_EQ(all.All(kEncodings), "H264 H264");
    EXPECT_EQ(all.All(kWidths), "1920 640");
    EXPECT_EQ(all.All("//*[local-name()='Resolution']/*[local-name()='Height']"), "1080 360");
    // Without a type only the names; a token picks one profile.
    EXPECT_EQ(Call(kMedia2, "GetProfiles").All(kEncodings), "");
    EXPECT_EQ(
        Call(kMedia2, "GetProfiles", "<m:Token>sub</m:Token><m:Type>VideoEncoder</m:Type>").All(kWidths),
        "640");

    m_state.device.onvif.media.h265 = true;
    m_state.device.onvif.settings.rtsp.port = 8554;
    EXPECT_EQ(Call(kMedia2, "GetProfiles", "<m:Type>All</m:Type>").All(kEncodings), "H265 H264");
    EXPECT_EQ(Call(kMedia2, "GetStreamUri",
                   "<m:Protocol>RtspUnicast</m:Protocol><m:ProfileToken>main</m:ProfileToken>")
                  .All(kUri),
              "rtsp://10.77.16.1:8554/main");
    EXPECT_EQ(Call(kMedia2, "GetSnapshotUri", "<m:ProfileToken>sub</m:ProfileToken>").All(kUri),
              "http://10.77.16.1/onvif/snapshot/sub.jpg");
    for (const char* bad : {"<m:Protocol>RtspUnicast</m:Protocol><m:ProfileToken>third</m:ProfileToken>",
                            "<m:Protocol>RtspOverHttp</m:Protocol><m:ProfileToken>main</m:ProfileToken>"}) {
        const Reply refused = Call(kMedia2, "GetStreamUri", bad);
        EXPECT_EQ(refused.status, 400) << bad;
        EXPECT_EQ(refused.All(kSubcode), "ter:InvalidArgVal") << bad;
    }
}

TEST_F(Media, Media1ProfilesAndAddresses) {
    m_state.device.onvif.port = 8080;
    const Reply profiles = Call(kMedia1, "GetProfiles");
    ASSERT_EQ(profiles.status, 200);
    EXPECT_EQ(profiles.All("//*[local-name()='Profiles']/*[local-name()='Name']"), "main sub");
    EXPECT_EQ(profiles.All("//*[local-name()='VideoEncoderConfiguration']/*[local-name()='Encoding']"),
              "H264 H264");
    EXPECT_EQ(profiles.All(kWidths), "1920 640");
    EXPECT_EQ(profiles.All("//*[local-name()='GovLength']"), "25 25");
    const Reply one = Call(kMedia1, "GetProfile", "<m:ProfileToken>sub</m:ProfileToken>");
    EXPECT_EQ(one.All("//*[local-name()='Profile']/*[local-name()='Name']"), "sub");
    EXPECT_EQ(
        Call(kMedia1, "GetStreamUri",
             "<m:StreamSetup><tt:Stream>RTP-Unicast</tt:Stream><tt:Transport><tt:Protocol>RTSP</tt:Protocol>"
             "</tt:Transport></m:StreamSetup><m:ProfileToken>sub</m:ProfileToken>")
            .All(kUri),
        "rtsp://10.77.16.1:554/sub");
    EXPECT_EQ(Call(kMedia1, "GetSnapshotUri", "<m:ProfileToken>main</m:ProfileToken>").All(kUri),
              "http://10.77.16.1:8080/onvif/snapshot/main.jpg");
    EXPECT_EQ(Call(kMedia1, "GetStreamUri",
                   "<m:StreamSetup><tt:Stream>RTP-Multicast</tt:Stream></m:StreamSetup>"
                   "<m:ProfileToken>main</m:ProfileToken>")
                  .status,
              400);
}

TEST_F(Media, EachServiceSwitchesOffAlone) {
    EXPECT_EQ(Device("GetServices", "<m:IncludeCapability>false</m:IncludeCapability>")
                  .All("//*[local-name()='Service']/*[local-name()='XAddr']"),
              "http://10.77.16.1/onvif/device_service http://10.77.16.1/onvif/media2_service "
              "http://10.77.16.1/onvif/media_service");
    EXPECT_EQ(Device("GetCapabilities", "<m:Category>Media</m:Category>").All("//*[local-name()='XAddr']"),
              "http://10.77.16.1/onvif/media_service");

    m_state.device.onvif.media.media2 = false;
    EXPECT_EQ(Raw("POST", "/onvif/media2_service", Envelope(kMedia2, "GetProfiles", {}, {})).status, 404);
    EXPECT_EQ(Call(kMedia1, "GetProfiles").status, 200);
    EXPECT_EQ(Device("GetServices", "<m:IncludeCapability>true</m:IncludeCapability>")
                  .All("//*[local-name()='Service']/*[local-name()='Namespace']"),
              std::string("http://www.onvif.org/ver10/device/wsdl ") + kMedia1);

    m_state.device.onvif.media = {false, true};
    EXPECT_EQ(Call(kMedia1, "GetProfiles").status, 404);
    EXPECT_EQ(Call(kMedia2, "GetProfiles").status, 200);
    EXPECT_EQ(Device("GetCapabilities", "<m:Category>Media</m:Category>").status, 500);
    EXPECT_EQ(Device("GetCapabilities", {}).All("//*[local-name()='Media']"), "");
}

TEST_F(Media, LoginsAndTheLockAreTheDeviceServices) {
    m_state.device.onvif.lockAfter = 2;
    EXPECT_EQ(Raw("POST", "/onvif/media2_service", Envelope(kMedia2, "GetProfiles", {}, {})).status, 401);
    EXPECT_EQ(
        Raw("POST", "/onvif/media2_service", Envelope(kMedia2, "GetServiceCapabilities", {}, {})).status,
        200);
    // A device operation is not the media service's.
    EXPECT_EQ(Call(kMedia2, "GetUsers").status, 500);
    EXPECT_EQ(Call(kMedia2, "GetProfiles", {}, "wrong").status, 400);
    EXPECT_EQ(Call(kMedia1, "GetProfiles", {}, "wrong").status, 400);
    // Locked: the right password is refused on every service now.
    EXPECT_EQ(Call(kMedia2, "GetProfiles").status, 400);
}

TEST_F(Media, SnapshotWithDigest) {
    const std::string path = "/onvif/snapshot/sub.jpg";
    const onvifsim::ServiceResponse challenge = Raw("GET", path, {});
    ASSERT_EQ(challenge.status, 401);
    ASSERT_FALSE(challenge.challenges.empty());
    const onvifsim::ServiceResponse picture = Raw(
        "GET", path, {}, DigestAnswer(challenge.challenges[0], EVP_sha256(), "view", "v-pass", "GET", path));
    EXPECT_EQ(picture.status, 200);
    EXPECT_EQ(picture.snapshot, "sub");
    EXPECT_EQ(picture.contentType, "image/jpeg");
    EXPECT_EQ(
        Raw("GET", path, {}, DigestAnswer(challenge.challenges[0], EVP_sha256(), "view", "bad", "GET", path))
            .status,
        401);
    EXPECT_EQ(Raw("GET", "/onvif/snapshot/third.jpg", {}).status, 404);
    EXPECT_EQ(Raw("POST", path, "x").status, 405);
}
