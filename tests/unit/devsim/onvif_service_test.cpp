// The device service as a pure function: which logins each device takes
// (HTTP digest with MD5 and SHA-256, WS-Security password digests within
// the device's clock window), what each user level may call, the lock
// after wrong passwords, and requests that must not break it. The digests
// are computed here from their definitions, not by the simulator's code.
#include "onvif/device_service.h"
#include "onvif_login_helpers.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <pugixml.hpp>
#include <string>

namespace {

using onvifsim::DeviceServiceState;
using onvifsim::ServiceRequest;
using onvifsim::ServiceResponse;
using namespace soaptest;

constexpr int64_t kNow = 1796724000; // 2026-12-08T10:00:00Z

std::string Envelope(const std::string& operation, const std::string& header = {}) {
    return "<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\"><s:Header>" + header +
           "</s:Header><s:Body><" + operation +
           " xmlns=\"http://www.onvif.org/ver10/device/wsdl\"/></s:Body>"
           "</s:Envelope>";
}

struct Reply {
    ServiceResponse response;
    pugi::xml_document xml;
    bool parsed = false;
    std::string Text(const char* path) const { return xml.select_node(path).node().text().as_string(); }
    std::string Subcode() const { return Text("//*[local-name()='Subcode']/*[local-name()='Value']"); }
};

class DeviceService : public ::testing::Test {
protected:
    DeviceService() {
        m_state.device.name = "cam";
        m_state.device.fields.ip = 0x0A4D1001;
        m_state.device.texts.model = "OC-1";
        m_state.device.onvif.family = LabFamily::Onvif;
        m_state.device.onvif.users = {{"admin", "a-pass", OnvifUserLevel::Administrator},
                                      {"op", "o-pass", OnvifUserLevel::Operator},
                                      {"user", "u-pass", OnvifUserLevel::User}};
        m_state.nonceSecret = "test";
    }

    Reply Call(const std::string& body, const std::string& authorization = {}, int64_t now = kNow) {
        Reply reply;
        reply.response = onvifsim::HandleDeviceService({"POST", "/onvif/device_service", authorization, body},
                                                       m_state, now);
        reply.parsed = static_cast<bool>(reply.xml.load_string(reply.response.body.c_str()));
        return reply;
    }
    // A digest login as HTTP clients make it: the challenge of a request
    // without the body, then the request with its answer.
    Reply DigestCall(const std::string& operation, const EVP_MD* algorithm, const std::string& user,
                     const std::string& password, int64_t now = kNow) {
        const Reply challenge = Call({}, {}, now);
        EXPECT_EQ(challenge.response.status, 401);
        EXPECT_EQ(challenge.response.challenges.size(), 2u);
        const std::string& offer = challenge.response.challenges.at(algorithm == EVP_md5() ? 1 : 0);
        return Call(Envelope(operation), DigestAnswer(offer, algorithm, user, password), now);
    }

    DeviceServiceState m_state;
};

TEST_F(DeviceService, TimeNeedsNoLoginAndCarriesTheDeviceClock) {
    m_state.device.onvif.clockOffsetS = 7200;
    const Reply reply = Call(Envelope("GetSystemDateAndTime"));
    ASSERT_EQ(reply.response.status, 200);
    EXPECT_EQ(reply.Text("//*[local-name()='UTCDateTime']//*[local-name()='Hour']"), "12");
    EXPECT_EQ(reply.Text("//*[local-name()='UTCDateTime']//*[local-name()='Day']"), "8");
}

TEST_F(DeviceService, DigestWithMd5AndSha256) {
    for (const EVP_MD* algorithm : {EVP_md5(), EVP_sha256()}) {
        const Reply right = DigestCall("GetDeviceInformation", algorithm, "admin", "a-pass");
        EXPECT_EQ(right.response.status, 200);
        EXPECT_EQ(right.Text("//*[local-name()='Model']"), "OC-1");
        const Reply wrong = DigestCall("GetDeviceInformation", algorithm, "admin", "nope");
        EXPECT_EQ(wrong.response.status, 401);
        EXPECT_EQ(wrong.Subcode(), "ter:NotAuthorized");
    }
    // An answer to a nonce older than its lifetime asks for a new one.
    const Reply old = Call(Envelope("GetDeviceInformation"), {}, kNow - 1000);
    const Reply stale = Call(Envelope("GetDeviceInformation"),
                             DigestAnswer(old.response.challenges[0], EVP_sha256(), "admin", "a-pass"));
    EXPECT_EQ(stale.response.status, 401);
    EXPECT_NE(stale.response.challenges[0].find("stale=true"), std::string::npos);
}

TEST_F(DeviceService, UsernameTokenWithinTheDeviceClockWindow) {
    m_state.device.onvif.clockOffsetS = 7200;
    const int64_t deviceNow = kNow + 7200;
    EXPECT_EQ(Call(Envelope("GetDeviceInformation", Token("admin", "a-pass", deviceNow))).response.status,
              200);
    EXPECT_EQ(
        Call(Envelope("GetDeviceInformation", Token("admin", "a-pass", deviceNow + 290))).response.status,
        200);
    // The true time is two hours off the device's clock; six minutes too.
    for (const int64_t created : {kNow, deviceNow - 360, deviceNow + 360}) {
        const Reply reply = Call(Envelope("GetDeviceInformation", Token("admin", "a-pass", created)));
        EXPECT_EQ(reply.response.status, 400) << created;
        EXPECT_EQ(reply.Subcode(), "ter:NotAuthorized");
    }
    EXPECT_EQ(Call(Envelope("GetDeviceInformation", Token("admin", "x", deviceNow))).response.status, 400);
    // The password itself in the token is never taken.
    EXPECT_EQ(Call(Envelope("GetDeviceInformation", Token("admin", "a-pass", deviceNow, "#PasswordText")))
                  .response.status,
              400);
}

TEST_F(DeviceService, EachDeviceTakesOnlyItsMethods) {
    m_state.device.onvif.auth = {true, false}; // digest only
    const Reply token = Call(Envelope("GetDeviceInformation", Token("admin", "a-pass", kNow)));
    EXPECT_EQ(token.response.status, 401); // asked for digest instead
    EXPECT_EQ(DigestCall("GetDNS", EVP_md5(), "admin", "a-pass").response.status, 200);

    m_state.device.onvif.auth = {false, true}; // WS-Security only
    for (const std::string& body : {Envelope("GetDeviceInformation"), std::string()}) {
        const Reply none = Call(body);
        EXPECT_EQ(none.response.status, 400);
        EXPECT_EQ(none.Subcode(), "ter:NotAuthorized");
        EXPECT_TRUE(none.response.challenges.empty());
    }
    EXPECT_EQ(Call(Envelope("GetDeviceInformation", Token("admin", "a-pass", kNow))).response.status, 200);
}

TEST_F(DeviceService, AccessClassesByUserLevel) {
    for (const char* user : {"user", "op"}) {
        const std::string password = std::string(user == std::string("op") ? "o" : "u") + "-pass";
        EXPECT_EQ(Call(Envelope("GetNetworkInterfaces", Token(user, password, kNow))).response.status, 200)
            << user;
        const Reply users = Call(Envelope("GetUsers", Token(user, password, kNow)));
        EXPECT_EQ(users.response.status, 400) << user;
        EXPECT_EQ(users.Subcode(), "ter:NotAuthorized");
    }
    const Reply users = Call(Envelope("GetUsers", Token("admin", "a-pass", kNow)));
    ASSERT_EQ(users.response.status, 200);
    EXPECT_EQ(users.xml.select_nodes("//*[local-name()='User']").size(), 3u);
    EXPECT_EQ(users.Text("//*[local-name()='User'][2]/*[local-name()='UserLevel']"), "Operator");
    EXPECT_EQ(users.response.body.find("-pass"), std::string::npos);
    EXPECT_EQ(users.response.body.find("Password"), std::string::npos);
}

TEST_F(DeviceService, LocksAfterThreeWrongPasswords) {
    m_state.device.onvif.lockAfter = 3;
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(Call(Envelope("GetDNS", Token("admin", "bad", kNow))).response.status, 400);
    }
    EXPECT_EQ(Call(Envelope("GetDNS", Token("admin", "a-pass", kNow))).response.status,
              200); // resets the count
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Call(Envelope("GetDNS", Token("admin", "bad", kNow))).response.status, 400);
    }
    EXPECT_EQ(Call(Envelope("GetDNS", Token("admin", "a-pass", kNow + 1)), {}, kNow + 1).response.status,
              400);
    EXPECT_EQ(DigestCall("GetDNS", EVP_sha256(), "admin", "a-pass", kNow + 1).response.status, 401);
    EXPECT_EQ(Call(Envelope("GetSystemDateAndTime"), {}, kNow + 1).response.status, 200); // no login needed
    const int64_t later = kNow + onvifsim::kLockSeconds;
    EXPECT_EQ(Call(Envelope("GetDNS", Token("admin", "a-pass", later)), {}, later).response.status, 200);
}

TEST_F(DeviceService, BadRequestsGetFaultsNotCrashes) {
    const Reply unknown = Call(Envelope("SetDynamicDNS", Token("admin", "a-pass", kNow)));
    EXPECT_EQ(unknown.response.status, 500);
    EXPECT_EQ(unknown.Subcode(), "ter:ActionNotSupported");
    const std::string media =
        "<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\"><s:Body>"
        "<GetProfiles xmlns=\"http://www.onvif.org/ver10/media/wsdl\"/></s:Body></s:Envelope>";
    EXPECT_EQ(Call(media).Subcode(), "ter:ActionNotSupported");
    std::string deep = "<a>";
    for (int i = 0; i < 20000; ++i) {
        deep += "<b>";
    }
    for (const std::string& body :
         {std::string("<"), std::string("\xff\xfe<x\0y>", 7), deep,
          std::string("<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\"/>"),
          Envelope("GetUsers",
                   "<Security><UsernameToken><Password>x</Password><Nonce>%%%</Nonce></UsernameToken>"
                   "</Security>")}) {
        const Reply reply = Call(body);
        EXPECT_EQ(reply.response.status, 400) << body.substr(0, 40);
        EXPECT_TRUE(reply.parsed);
    }
    // The first pass of a client that authenticates in several: no body, no
    // login; the device asks for the login.
    const Reply empty = Call(std::string());
    EXPECT_EQ(empty.response.status, 401);
    EXPECT_FALSE(empty.response.challenges.empty());
    EXPECT_EQ(Call(Envelope("GetDNS") + std::string(onvifsim::kMaxRequestBytes, ' ')).response.status, 413);
    ServiceRequest tooLarge{"POST", "/onvif/device_service", {}, Envelope("GetDNS"), true};
    EXPECT_EQ(onvifsim::HandleDeviceService(tooLarge, m_state, kNow).status, 413);
}

TEST_F(DeviceService, MalformedFaultBreaksEveryAnswer) {
    m_state.device.onvif.malformed = true;
    const Reply reply = Call(Envelope("GetSystemDateAndTime"));
    EXPECT_EQ(reply.response.status, 200);
    EXPECT_FALSE(reply.parsed);
}

} // namespace
