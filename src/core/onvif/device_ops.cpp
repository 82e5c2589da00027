#include "onvif/device_ops.h"

#include "discovery/ip_rules.h"
#include "onvif/media_requests.h"
#include "onvif/ops_requests.h"
#include "onvif/time_zone.h"

#include <algorithm>

namespace onvif {
namespace {

OpsOutcome FromCall(CallOutcome outcome) {
    switch (outcome) {
    case CallOutcome::Ok:
        return OpsOutcome::Ok;
    case CallOutcome::Refused:
        return OpsOutcome::WrongPassword;
    case CallOutcome::Locked:
        return OpsOutcome::Locked;
    case CallOutcome::Fault:
        return OpsOutcome::NotAllowed;
    case CallOutcome::Unreachable:
        return OpsOutcome::Unreachable;
    case CallOutcome::Timeout:
        return OpsOutcome::Timeout;
    case CallOutcome::BadReply:
        break;
    }
    return OpsOutcome::Failed;
}

// Runs the calls of one operation: each call's body comes back on Ok; the
// first call that is not Ok ends the operation with its outcome. Once a
// call went through, a refusal is the account's rights, not its password.
class Steps {
public:
    explicit Steps(const OnvifSession& session) : m_session(session) {}

    // The response's text, or nullopt when the operation ended here.
    std::optional<std::string> Call(std::string_view name, std::string_view body) {
        if (m_outcome != OpsOutcome::Ok) {
            return std::nullopt;
        }
        CallResult result =
            CallAuthenticated(m_session.transport, m_session.memory, m_session.target, m_session.credentials,
                              DeviceAction(name), body, m_session.nowUtcSeconds);
        if (result.outcome == CallOutcome::Ok) {
            m_through = true;
            return std::move(result.body);
        }
        m_outcome = FromCall(result.outcome);
        if (m_outcome == OpsOutcome::WrongPassword && m_through) {
            m_outcome = OpsOutcome::NotAllowed;
        }
        return std::nullopt;
    }
    // A call whose response must be the empty response of that operation.
    bool Set(std::string_view name, std::string_view body) {
        const std::optional<std::string> text = Call(name, body);
        return text && Expect(IsResponse(*text, std::string(name) + "Response"));
    }
    // Ends the operation as failed unless ok.
    bool Expect(bool ok) {
        if (!ok && m_outcome == OpsOutcome::Ok) {
            m_outcome = OpsOutcome::Failed;
        }
        return ok;
    }
    // Proves the login with a call every user may make, so that a refusal
    // of what follows is the account's rights, not its password. A wrong
    // password costs no more attempts: this call is then the one refused.
    bool CheckLogin() { return Call("GetDeviceInformation", kGetDeviceInformation).has_value(); }
    void Refuse() { m_outcome = OpsOutcome::NotAllowed; }
    OpsOutcome Outcome() const { return m_outcome; }

private:
    const OnvifSession& m_session;
    OpsOutcome m_outcome = OpsOutcome::Ok;
    bool m_through = false;
};

bool ValidAddress(const std::string& text) {
    const uint32_t address = AddressFromText(text);
    return address != kInvalidAddress && address != 0;
}

bool Offers(const OnvifDeviceInfo& info, std::string_view ns) {
    return std::any_of(info.services.begin(), info.services.end(),
                       [ns](const ServiceAddress& service) { return service.ns == ns; });
}

} // namespace

const char* OpsOutcomeKey(OpsOutcome outcome) {
    switch (outcome) {
    case OpsOutcome::Ok:
        return "";
    case OpsOutcome::WrongPassword:
        return "info.login_password_err";
    case OpsOutcome::Locked:
        return "info.login_user_lock";
    case OpsOutcome::Unreachable:
        return "info.login_con_host";
    case OpsOutcome::Timeout:
        return "info.login_timeout";
    case OpsOutcome::NotAllowed:
        return "info.Fail_refused";
    case OpsOutcome::Failed:
        break;
    }
    return "info.operate_fail";
}

OperationSet LoginOperations(const OnvifDeviceInfo& info) {
    // The settings below are the device service's own (ONVIF Core: every
    // device has them); a device that lists services but not the device
    // service is one this program cannot manage.
    OperationSet operations{DeviceOperation::Login};
    if (!info.services.empty() && !Offers(info, kDeviceNamespace)) {
        return operations;
    }
    operations |=
        OperationSet{DeviceOperation::Reboot,  DeviceOperation::FactoryDefault, DeviceOperation::Password,
                     DeviceOperation::Ports,   DeviceOperation::Time,           DeviceOperation::ConfigImport,
                     DeviceOperation::Upgrade, DeviceOperation::ConfigExport,   DeviceOperation::SoftReset};
    if (!info.network.token.empty()) {
        operations |= OperationSet{DeviceOperation::Network};
    }
    if (Offers(info, kMedia2Namespace) || Offers(info, kMedia1Namespace)) {
        operations |= OperationSet{DeviceOperation::Preview};
    }
    return operations;
}

NetworkChangeResult ChangeOnvifNetwork(const OnvifSession& session, const NetworkChange& change) {
    NetworkChangeResult result;
    const std::optional<int> prefix = MaskToPrefix(change.mask);
    const bool badStatic = !change.dhcp && (!ValidAddress(change.ip) || !prefix);
    const bool badGateway = !change.gateway.empty() && !ValidAddress(change.gateway);
    if (badStatic || badGateway) {
        result.outcome = OpsOutcome::NotAllowed;
        return result;
    }
    Steps steps(session);
    const std::optional<std::string> interfaces = steps.Call("GetNetworkInterfaces", kGetNetworkInterfaces);
    std::optional<NetworkInterface> current;
    if (interfaces) {
        current = ParseNetworkInterfaces(*interfaces);
        steps.Expect(current && !current->token.empty());
    }
    if (!change.dns1.empty() || !change.dns2.empty()) {
        steps.Set("SetDNS", SetDnsRequest(false, {change.dns1, change.dns2}));
    }
    if (!change.gateway.empty()) {
        steps.Set("SetNetworkDefaultGateway", SetGatewayRequest(change.gateway));
    }
    const bool goesOut = current && steps.Outcome() == OpsOutcome::Ok;
    const std::optional<std::string> answer =
        goesOut ? steps.Call("SetNetworkInterfaces",
                             SetInterfaceRequest(current->token, change.dhcp, change.ip, prefix.value_or(0)))
                : std::nullopt;
    const OpsOutcome sent = steps.Outcome();
    result.mayHaveMoved = goesOut && (sent == OpsOutcome::Ok || sent == OpsOutcome::Timeout ||
                                      sent == OpsOutcome::Unreachable || sent == OpsOutcome::Failed);
    const std::optional<bool> rebootNeeded = answer ? ParseRebootNeeded(*answer) : std::nullopt;
    if (answer && steps.Expect(rebootNeeded.has_value()) && *rebootNeeded) {
        steps.Set("SystemReboot", kSystemReboot);
        // A device that restarts may drop the connection before it answers.
        const OpsOutcome reboot = steps.Outcome();
        result.rebooted =
            reboot == OpsOutcome::Ok || reboot == OpsOutcome::Failed || reboot == OpsOutcome::Unreachable;
        result.outcome = result.rebooted ? OpsOutcome::Ok : reboot;
        return result;
    }
    result.outcome = steps.Outcome();
    return result;
}

OpsOutcome RebootOnvif(const OnvifSession& session) {
    Steps steps(session);
    steps.CheckLogin();
    steps.Set("SystemReboot", kSystemReboot);
    return steps.Outcome();
}

OpsOutcome FactoryDefaultOnvif(const OnvifSession& session, bool keepNetwork) {
    Steps steps(session);
    steps.CheckLogin();
    steps.Set("SetSystemFactoryDefault", FactoryDefaultRequest(keepNetwork));
    return steps.Outcome();
}

int ChangeOnvifPassword(const OnvifSession& session, const std::string& newPassword) {
    Steps steps(session);
    steps.CheckLogin(); // GetUsers is for administrators only
    const std::optional<std::string> text = steps.Call("GetUsers", kGetUsers);
    const std::optional<std::vector<OnvifUser>> users = text ? ParseUsers(*text) : std::nullopt;
    const std::string& name = session.credentials.user;
    const auto user = users ? std::find_if(users->begin(), users->end(),
                                           [&name](const OnvifUser& u) { return u.name == name; })
                            : std::vector<OnvifUser>::const_iterator{};
    if (users && user != users->end() && !user->level.empty()) {
        steps.Set("SetUser", SetUserRequest(name, newPassword, user->level));
    } else {
        steps.Expect(false);
    }
    switch (steps.Outcome()) {
    case OpsOutcome::Ok:
        return 1;
    case OpsOutcome::WrongPassword:
        return -1;
    default:
        break;
    }
    return 0;
}

OpsOutcome ChangeOnvifPorts(const OnvifSession& session, const OnvifPorts& ports) {
    Steps steps(session);
    const std::optional<std::string> text = steps.Call("GetNetworkProtocols", kGetNetworkProtocols);
    std::optional<std::vector<ProtocolSetting>> protocols =
        text ? ParseProtocolSettings(*text) : std::nullopt;
    if (!text || !steps.Expect(protocols && !protocols->empty())) {
        return steps.Outcome();
    }
    const std::pair<const char*, uint16_t> wanted[] = {
        {"HTTP", ports.http}, {"HTTPS", ports.https}, {"RTSP", ports.rtsp}};
    for (const auto& [wantedName, port] : wanted) {
        if (port == 0) {
            continue;
        }
        const std::string_view name = wantedName; // a copy: clang 14 lambdas cannot capture a binding
        const auto found = std::find_if(protocols->begin(), protocols->end(),
                                        [name](const ProtocolSetting& p) { return p.name == name; });
        if (found == protocols->end()) {
            steps.Refuse(); // the device has no such protocol
            return steps.Outcome();
        }
        if (found->ports.empty()) {
            found->ports.push_back(port);
        } else {
            found->ports.front() = port;
        }
    }
    steps.Set("SetNetworkProtocols", SetProtocolsRequest(*protocols));
    return steps.Outcome();
}

OpsOutcome SetOnvifTime(const OnvifSession& session, const TimeChange& change) {
    const ZoneText zone = PosixZone();
    Steps steps(session);
    steps.CheckLogin();
    if (change.useNtp) {
        const bool any = std::any_of(change.ntpServers.begin(), change.ntpServers.end(),
                                     [](const std::string& server) { return !server.empty(); });
        if (!any) {
            steps.Refuse();
            return steps.Outcome();
        }
        steps.Set("SetNTP", SetNtpRequest(change.ntpServers));
    }
    steps.Set("SetSystemDateAndTime",
              SetDateTimeRequest(change.useNtp, zone.daylight, zone.tz, session.nowUtcSeconds));
    return steps.Outcome();
}

std::string PosixTimeZoneNow() {
    return PosixZone().tz;
}

} // namespace onvif
