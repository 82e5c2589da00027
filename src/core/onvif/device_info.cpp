#include "onvif/device_info.h"

namespace onvif {
namespace {

InfoOutcome FromCall(CallOutcome outcome) {
    switch (outcome) {
    case CallOutcome::Ok:
        return InfoOutcome::Ok;
    case CallOutcome::Refused:
        return InfoOutcome::WrongPassword;
    case CallOutcome::Locked:
        return InfoOutcome::Locked;
    case CallOutcome::Unreachable:
        return InfoOutcome::Unreachable;
    case CallOutcome::Timeout:
        return InfoOutcome::Timeout;
    case CallOutcome::Fault:
    case CallOutcome::BadReply:
        break;
    }
    return InfoOutcome::Failed;
}

} // namespace

const char* InfoOutcomeKey(InfoOutcome outcome) {
    switch (outcome) {
    case InfoOutcome::Ok:
        return "";
    case InfoOutcome::WrongPassword:
        return "info.login_password_err";
    case InfoOutcome::Locked:
        return "info.login_user_lock";
    case InfoOutcome::Unreachable:
        return "info.login_con_host";
    case InfoOutcome::Timeout:
        return "info.login_timeout";
    case InfoOutcome::Failed:
        break;
    }
    return "info.Login_fail";
}

OnvifInfoResult ReadOnvifInfo(const OnvifFacts& facts, const OnvifCredentials& credentials,
                              AuthMemory& memory, SoapTransport& transport, int64_t nowUtcSeconds) {
    OnvifInfoResult result;
    const DeviceTarget target{facts.deviceServiceUrl, facts.clockKnown ? facts.clockOffsetSeconds : 0};
    // Each call: Ok, or Fault / BadReply (the item is skipped); any other
    // outcome ends the read with that outcome.
    bool ended = false;
    const auto call = [&](std::string_view name, const char* body) -> std::string {
        if (ended) {
            return {};
        }
        CallResult answer = CallAuthenticated(transport, memory, target, credentials, DeviceAction(name),
                                              body, nowUtcSeconds);
        if (answer.outcome == CallOutcome::Ok) {
            result.method = answer.method;
            return std::move(answer.body);
        }
        // Once a call went through, a refusal is the account's rights (an
        // item for administrators only), not a wrong password.
        const bool notAllowed =
            answer.outcome == CallOutcome::Refused && result.method != AuthMethod::Unknown;
        if (answer.outcome != CallOutcome::Fault && answer.outcome != CallOutcome::BadReply && !notAllowed) {
            ended = true;
            result.outcome = FromCall(answer.outcome);
        }
        return {};
    };
    if (target.url.empty()) {
        result.outcome = InfoOutcome::Unreachable;
        result.errorKey = InfoOutcomeKey(result.outcome);
        return result;
    }
    const auto device = ParseDeviceInformation(call("GetDeviceInformation", kGetDeviceInformation));
    if (!device) {
        if (!ended) {
            result.outcome = InfoOutcome::Failed;
        }
        result.errorKey = InfoOutcomeKey(result.outcome);
        return result;
    }
    result.info.device = *device;
    if (auto network = ParseNetworkInterfaces(call("GetNetworkInterfaces", kGetNetworkInterfaces))) {
        result.info.network = std::move(*network);
    }
    if (auto gateways = ParseDefaultGateway(call("GetNetworkDefaultGateway", kGetNetworkDefaultGateway))) {
        result.info.gateways = std::move(*gateways);
    }
    if (auto dns = ParseDns(call("GetDNS", kGetDns))) {
        result.info.dns = std::move(*dns);
    }
    if (auto protocols = ParseNetworkProtocols(call("GetNetworkProtocols", kGetNetworkProtocols))) {
        result.info.protocols = *protocols;
    }
    auto services = ParseServices(call("GetServices", kGetServices));
    if (!services) {
        services = ParseCapabilities(call("GetCapabilities", kGetCapabilities));
    }
    if (services) {
        result.info.services = std::move(*services);
    }
    if (!ended) {
        result.outcome = InfoOutcome::Ok;
    }
    result.errorKey = InfoOutcomeKey(result.outcome);
    return result;
}

} // namespace onvif
