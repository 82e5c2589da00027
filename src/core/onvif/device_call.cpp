#include "onvif/device_call.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>

namespace onvif {

int64_t UtcSecondsNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}
namespace {

bool MentionsLock(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower.find("lock") != std::string::npos;
}

CallResult Classify(SoapReply reply) {
    CallResult result;
    switch (reply.result) {
    case TransportResult::Ok:
        break;
    case TransportResult::Unreachable:
        result.outcome = CallOutcome::Unreachable;
        return result;
    case TransportResult::Timeout:
        result.outcome = CallOutcome::Timeout;
        return result;
    case TransportResult::TooLarge:
    case TransportResult::Failed:
        result.outcome = CallOutcome::BadReply;
        return result;
    }
    std::optional<SoapResponse> response = ParseSoapResponse(reply.body);
    if (response && response->fault) {
        result.fault = response->fault;
    }
    if (reply.httpStatus == 401 || (result.fault && IsAuthenticationFault(*result.fault))) {
        const bool locked =
            result.fault && (MentionsLock(result.fault->subcode) || MentionsLock(result.fault->reason));
        result.outcome = locked ? CallOutcome::Locked : CallOutcome::Refused;
        return result;
    }
    if (reply.httpStatus == 403 || (result.fault && MentionsLock(result.fault->subcode))) {
        result.outcome = CallOutcome::Locked;
        return result;
    }
    if (!response) {
        result.outcome = CallOutcome::BadReply;
        return result;
    }
    result.outcome = result.fault ? CallOutcome::Fault : CallOutcome::Ok;
    if (result.outcome == CallOutcome::Ok && (reply.httpStatus < 200 || reply.httpStatus >= 300)) {
        result.outcome = CallOutcome::BadReply;
    }
    result.body = std::move(reply.body);
    return result;
}

SoapRequest MakeRequest(const DeviceTarget& target, std::string_view action) {
    SoapRequest request;
    request.url = target.url;
    request.action = std::string(action);
    request.timeoutMs = target.timeoutMs;
    return request;
}

} // namespace

AuthMethod AuthMemory::Get(const std::string& device) const {
    const std::lock_guard lock(m_mutex);
    const auto found = m_methods.find(device);
    return found == m_methods.end() ? AuthMethod::Unknown : found->second;
}

void AuthMemory::Set(const std::string& device, AuthMethod method) {
    const std::lock_guard lock(m_mutex);
    m_methods[device] = method;
}

OnvifCredentials::~OnvifCredentials() {
    Wipe(password);
}

std::string DeviceAction(std::string_view name) {
    return std::string(kDeviceNamespace) + "/" + std::string(name);
}

CallResult CallAnonymous(SoapTransport& transport, const DeviceTarget& target, std::string_view action,
                         std::string_view body) {
    SoapRequest request = MakeRequest(target, action);
    request.envelope = BuildSoapEnvelope(body);
    return Classify(transport.Post(request));
}

CallResult CallAuthenticated(SoapTransport& transport, AuthMemory& memory, const DeviceTarget& target,
                             const OnvifCredentials& credentials, std::string_view action,
                             std::string_view body, int64_t nowUtcSeconds) {
    std::array<AuthMethod, 2> order{AuthMethod::HttpDigest, AuthMethod::UsernameToken};
    if (memory.Get(target.url) == AuthMethod::UsernameToken) {
        std::swap(order[0], order[1]);
    }
    CallResult result;
    for (const AuthMethod method : order) {
        SoapRequest request = MakeRequest(target, action);
        if (method == AuthMethod::HttpDigest) {
            request.auth = credentials.allowPlainText ? HttpAuth::DigestOrBasic : HttpAuth::Digest;
            request.user = credentials.user;
            request.password = credentials.password;
            request.envelope = BuildSoapEnvelope(body);
        } else {
            const UsernameToken token = MakeUsernameToken(credentials.user, credentials.password,
                                                          nowUtcSeconds + target.clockOffsetSeconds);
            request.envelope = BuildSoapEnvelope(body, &token);
        }
        const int attempts = result.attempts + 1;
        result = Classify(transport.Post(request));
        result.method = method;
        result.attempts = attempts;
        if (result.outcome == CallOutcome::Ok) {
            memory.Set(target.url, method);
        }
        // Only a refusal is worth the other method: anything else is the
        // device's answer (or its absence) whatever the method.
        if (result.outcome != CallOutcome::Refused) {
            break;
        }
    }
    return result;
}

} // namespace onvif
