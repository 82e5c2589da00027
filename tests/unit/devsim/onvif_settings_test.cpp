// The simulated device service's settings, driven by the program's own
// operations (both roles of the protocol, no sockets): what each changes in
// the device, the faults the lab asks for, the access classes, and the
// state file that keeps the changes.
#include "onvif/device_ops.h"
#include "onvif/device_service.h"
#include "onvif/onvif_state_file.h"
#include "onvif/ops_requests.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

constexpr int64_t kNow = 1796724000; // 2026-12-08T10:00:00Z

// Hands each request to the simulated service; HTTP digest is left to the
// HTTP library in the program, so a digest attempt is refused here and the
// operations go on with WS-Security.
class ServiceTransport : public onvif::SoapTransport {
public:
    explicit ServiceTransport(onvifsim::DeviceServiceState& state) : m_state(state) {}
    onvif::SoapReply Post(const onvif::SoapRequest& request) override {
        if (request.auth != onvif::HttpAuth::None) {
            return {onvif::TransportResult::Ok, 401, {}};
        }
        const onvifsim::ServiceResponse response = onvifsim::HandleDeviceService(
            {"POST", "/onvif/device_service", {}, request.envelope}, m_state, kNow);
        return {onvif::TransportResult::Ok, response.status, response.body};
    }

private:
    onvifsim::DeviceServiceState& m_state;
};

class Settings : public ::testing::Test {
protected:
    Settings() {
        SimDevice& device = m_state.device;
        device.name = "cam";
        device.fields.mac = {2, 0, 0, 0, 0, 1};
        device.fields.ip = 0x0A4D1001;
        device.fields.mask = 0xFFFF0000;
        device.onvif.family = LabFamily::Onvif;
        device.onvif.users = {{"admin", "a-pass", OnvifUserLevel::Administrator},
                              {"op", "o-pass", OnvifUserLevel::Operator}};
        m_state.factory = device;
        m_state.nonceSecret = "test";
    }
    onvif::OnvifSession As(const std::string& user, const std::string& password) {
        m_credentials.user = user;
        m_credentials.password = password;
        return {m_transport, m_memory, m_target, m_credentials, kNow};
    }
    // One call of the program's own as the administrator, its response's text.
    std::string Call(const std::string& name, const std::string& body,
                     const std::string& password = "a-pass") {
        return onvif::CallAuthenticated(m_transport, m_memory, m_target, As("admin", password).credentials,
                                        onvif::DeviceAction(name), body, kNow)
            .body;
    }

    onvifsim::DeviceServiceState m_state;
    ServiceTransport m_transport{m_state};
    onvif::AuthMemory m_memory;
    onvif::DeviceTarget m_target{"http://10.77.16.1/onvif/device_service", 0, 5000};
    onvif::OnvifCredentials m_credentials;
};

const onvif::NetworkChange kMove{false, "10.77.16.50", "255.255.255.0", "10.77.16.254", "10.77.0.9", ""};

} // namespace

TEST_F(Settings, NetworkChangeAtOnceOrAfterTheRestart) {
    ASSERT_EQ(onvif::ChangeOnvifNetwork(As("admin", "a-pass"), kMove).outcome, onvif::OpsOutcome::Ok);
    EXPECT_EQ(m_state.device.fields.ip, 0x0A4D1032u);
    EXPECT_EQ(m_state.device.fields.mask, 0xFFFFFF00u);
    EXPECT_EQ(m_state.device.fields.gateway, 0x0A4D10FEu);
    EXPECT_EQ(m_state.device.fields.dns1, 0x0A4D0009u);
    EXPECT_FALSE(m_state.pending.restart);

    m_state.device.onvif.networkNeedsReboot = true;
    const onvif::NetworkChangeResult later =
        onvif::ChangeOnvifNetwork(As("admin", "a-pass"), {true, "", "", "", "", ""});
    EXPECT_EQ(later.outcome, onvif::OpsOutcome::Ok);
    EXPECT_TRUE(later.rebooted);
    EXPECT_TRUE(m_state.pending.restart);
    EXPECT_EQ(m_state.device.fields.dhcpMode, 1); // applied by the restart

    // Settings need an administrator; nothing changes for an operator.
    m_state.pending = {};
    EXPECT_EQ(onvif::ChangeOnvifNetwork(As("op", "o-pass"), kMove).outcome, onvif::OpsOutcome::NotAllowed);
    EXPECT_EQ(onvif::RebootOnvif(As("op", "o-pass")), onvif::OpsOutcome::NotAllowed);
    EXPECT_EQ(onvif::RebootOnvif(As("op", "wrong")), onvif::OpsOutcome::WrongPassword);
    EXPECT_FALSE(m_state.pending.restart);
}

TEST_F(Settings, PasswordsAndFixedAccounts) {
    EXPECT_EQ(onvif::ChangeOnvifPassword(As("op", "o-pass"), "o-new"), 0); // GetUsers: administrators only
    EXPECT_EQ(onvif::ChangeOnvifPassword(As("admin", "a-pass"), "a-new"), 1);
    EXPECT_EQ(onvif::ChangeOnvifPassword(As("admin", "a-pass"), "again"), -1); // the old one is gone
    EXPECT_EQ(m_state.device.onvif.users[0].level, OnvifUserLevel::Administrator);
    EXPECT_EQ(m_state.device.onvif.users[1].password, "o-pass");

    m_state.device.onvif.fixedUsers = true;
    EXPECT_EQ(onvif::ChangeOnvifPassword(As("admin", "a-new"), "a-pass"), 0);
    EXPECT_NE(Call("CreateUsers",
                   "<tds:CreateUsers><tds:User><tt:Username>site</tt:Username><tt:Password>s1"
                   "</tt:Password><tt:UserLevel>Administrator</tt:UserLevel></tds:User>"
                   "</tds:CreateUsers>",
                   "a-new"),
              "");
    EXPECT_EQ(onvif::ChangeOnvifPassword(As("site", "s1"), "s2"), 1); // an account it created
}

TEST_F(Settings, PortsClockAndFactoryDefault) {
    ASSERT_EQ(onvif::ChangeOnvifPorts(As("admin", "a-pass"), {8080, 8443, 8554}), onvif::OpsOutcome::Ok);
    const auto protocols =
        onvif::ParseNetworkProtocols(Call("GetNetworkProtocols", onvif::kGetNetworkProtocols));
    ASSERT_TRUE(protocols);
    EXPECT_EQ(protocols->http, 8080);
    EXPECT_EQ(protocols->https, 0); // still disabled
    EXPECT_EQ(m_state.device.onvif.settings.https.port, 8443);
    EXPECT_EQ(protocols->rtsp, 8554);

    setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    m_state.device.onvif.clockOffsetS = -3600;
    m_target.clockOffsetSeconds = -3600; // as the program read it before its login
    ASSERT_EQ(onvif::SetOnvifTime(As("admin", "a-pass"), {}), onvif::OpsOutcome::Ok);
    unsetenv("TZ");
    m_target.clockOffsetSeconds = 0;
    const auto time =
        onvif::ParseSystemDateAndTime(Call("GetSystemDateAndTime", onvif::kGetSystemDateAndTime));
    ASSERT_TRUE(time);
    EXPECT_EQ(time->utcSeconds, kNow);                 // set from this computer's clock
    EXPECT_EQ(time->localTime, "2026-12-08 11:00:00"); // CET
    ASSERT_EQ(onvif::SetOnvifTime(As("admin", "a-pass"), {true, {"10.77.0.1", "ntp.lab"}}),
              onvif::OpsOutcome::Ok);
    EXPECT_TRUE(m_state.device.onvif.settings.ntp);
    EXPECT_EQ(m_state.device.onvif.settings.ntpServers, (std::vector<std::string>{"10.77.0.1", "ntp.lab"}));

    ASSERT_EQ(onvif::ChangeOnvifNetwork(As("admin", "a-pass"), kMove).outcome, onvif::OpsOutcome::Ok);
    ASSERT_EQ(onvif::ChangeOnvifPassword(As("admin", "a-pass"), "a-new"), 1);
    ASSERT_EQ(onvif::FactoryDefaultOnvif(As("admin", "a-new"), true), onvif::OpsOutcome::Ok);
    EXPECT_EQ(m_state.device.fields.ip, 0x0A4D1032u); // soft: the network stays
    EXPECT_EQ(m_state.device.onvif.users[0].password, "a-pass");
    EXPECT_EQ(m_state.device.onvif.port, 80);
    EXPECT_TRUE(m_state.pending.restart);
    ASSERT_EQ(onvif::FactoryDefaultOnvif(As("admin", "a-pass"), false), onvif::OpsOutcome::Ok);
    EXPECT_EQ(m_state.device.fields.ip, 0x0A4D1001u);
}

TEST_F(Settings, StateFileKeepsWhatChanged) {
    ASSERT_EQ(onvif::ChangeOnvifNetwork(As("admin", "a-pass"), kMove).outcome, onvif::OpsOutcome::Ok);
    ASSERT_EQ(onvif::ChangeOnvifPassword(As("admin", "a-pass"), "new|pass:\n"), 1);
    ASSERT_EQ(onvif::ChangeOnvifPorts(As("admin", "new|pass:\n"), {8080, 0, 0}), onvif::OpsOutcome::Ok);
    ASSERT_EQ(onvif::SetOnvifTime(As("admin", "new|pass:\n"), {true, {"ntp.lab"}}), onvif::OpsOutcome::Ok);
    std::vector<SimDevice> lab{m_state.factory};
    onvifsim::ApplyOnvifState(lab,
                              onvifsim::WriteOnvifState({m_state.device}) + "02-00-00-00-00-01|ip|bad\n");
    EXPECT_EQ(onvifsim::OnvifStateLines(lab[0]), onvifsim::OnvifStateLines(m_state.device));
    EXPECT_EQ(lab[0].onvif.users[0].password, "new|pass:\n");
}
