#include "onvif/device_service.h"

#include "net/udp_socket.h"
#include "onvif/device_answers.h"
#include "onvif/firmware_answers.h"
#include "onvif/media_answers.h"
#include "onvif/media_streams.h"
#include "onvif/onvif_auth.h"
#include "onvif/onvif_defaults.h"
#include "onvif/sim_multipart.h"
#include "onvif/soap_text.h"

namespace onvifsim {

namespace {

ServiceResponse Fault(int status, const char* code, const char* subcode, const char* reason) {
    return {status, SoapFault(code, subcode, reason), {}, 0};
}

// Refuses a request that needs a login. A refused UsernameToken gets the
// SOAP fault (HTTP 400); otherwise a digest device asks for digest with a
// fresh challenge (HTTP 401) and a WS-Security-only device sends the fault.
// While the accounts are locked the fault's reason says so.
ServiceResponse NotAuthorized(const DeviceServiceState& state, int64_t nowS, bool tokenRefused,
                              bool stale = false) {
    const char* reason =
        nowS < state.lockedUntilS ? "Sender not Authorized: account locked" : "Sender not Authorized";
    if (state.device.onvif.auth.digest && !tokenRefused) {
        ServiceResponse response = Fault(401, "env:Sender", "ter:NotAuthorized", reason);
        const std::string who = net::AddressToText(state.device.fields.ip);
        response.challenges = DigestChallenges(MakeDigestNonce(state.nonceSecret, who, nowS), stale);
        return response;
    }
    return Fault(400, "env:Sender", "ter:NotAuthorized", reason);
}

// Who sent the request: the user's level when a login was accepted,
// nothing with the refusal otherwise. Counts wrong passwords and locks the
// accounts.
std::optional<OnvifUserLevel> Authenticate(const ServiceRequest& request, const pugi::xml_node& header,
                                           DeviceServiceState& state, int64_t nowS,
                                           ServiceResponse& refusal) {
    const OnvifConfig& onvif = state.device.onvif;
    const std::vector<OnvifUser> users = OnvifUsers(state.device);
    const bool tokenOnly = onvif.auth.wsse && request.authorization.empty() &&
                           ChildByLocalName(ChildByLocalName(header, "Security"), "UsernameToken");
    if (nowS < state.lockedUntilS) {
        refusal = NotAuthorized(state, nowS, tokenOnly);
        return std::nullopt;
    }
    AuthResult result;
    if (onvif.auth.digest) {
        result = CheckDigest(request.authorization, request.method, request.path, users, state.nonceSecret,
                             net::AddressToText(state.device.fields.ip), nowS);
    }
    if (result.verdict != AuthVerdict::Accepted && result.verdict != AuthVerdict::Stale && onvif.auth.wsse) {
        const AuthResult token = CheckUsernameToken(header, users, nowS + onvif.clockOffsetS);
        if (token.verdict != AuthVerdict::Absent) {
            result = token;
        }
    }
    if (result.verdict == AuthVerdict::Accepted) {
        state.failures = 0;
        return result.user->level; // the user lives in this call's list
    }
    if (result.verdict == AuthVerdict::Refused && ++state.failures >= onvif.lockAfter &&
        onvif.lockAfter > 0) {
        state.lockedUntilS = nowS + kLockSeconds;
        state.failures = 0;
    }
    refusal = NotAuthorized(state, nowS, tokenOnly, result.verdict == AuthVerdict::Stale);
    return std::nullopt;
}

// Cuts the answer off mid-element: what a broken device sends.
void Break(ServiceResponse& response) {
    response.body = response.body.substr(0, response.body.size() / 2) + "<tt:Broken attr=\"";
}

// The namespace of the service at path, or null when the device has none there.
const char* ServiceAt(const std::string& path, const OnvifMedia& media) {
    if (path == "/onvif/device_service") {
        return kDeviceNs;
    }
    if (path == kMedia1Path && media.media1) {
        return kMedia1Ns;
    }
    if (path == kMedia2Path && media.media2) {
        return kMedia2Ns;
    }
    return nullptr;
}

// A snapshot: any user may fetch it; the server adds the picture.
ServiceResponse Snapshot(const ServiceRequest& request, const MediaStream& stream, DeviceServiceState& state,
                         int64_t nowS) {
    if (request.method != "GET") {
        return {405, "only GET\n", {}, 0};
    }
    ServiceResponse refusal;
    if (!Authenticate(request, pugi::xml_node(), state, nowS, refusal)) {
        return refusal;
    }
    return {200, {}, {}, 0, "image/jpeg", stream.token};
}

ServiceResponse Handle(const ServiceRequest& request, DeviceServiceState& state, int64_t nowS) {
    const auto streams = MediaStreams(state.device);
    if (const MediaStream* stream = SnapshotStream(streams, request.path)) {
        return Snapshot(request, *stream, state, nowS);
    }
    const char* service = ServiceAt(request.path, state.device.onvif.media);
    if (service == nullptr) {
        return {404, "not found\n", {}, 0};
    }
    if (request.method != "POST") {
        return {405, "only POST\n", {}, 0};
    }
    const bool multipart = IsMultipart(request.contentType);
    if (request.tooLarge ||
        request.body.size() > (multipart ? kMaxAttachmentRequestBytes : kMaxRequestBytes)) {
        return {413, "request too large\n", {}, 0};
    }
    // HTTP clients that authenticate in several passes send their first
    // POST without a body: like devices do, ask for the login first.
    if (request.body.empty() && request.authorization.empty()) {
        return NotAuthorized(state, nowS, false);
    }
    std::string_view xml = request.body;
    state.maintenance.attachments.clear();
    if (multipart) {
        const auto parts = SplitMultipart(request.contentType, request.body);
        if (!parts || parts->front().data.size() > kMaxRequestBytes) {
            return Fault(400, "env:Sender", "ter:WellFormed", "Well-formed Error");
        }
        xml = parts->front().data;
        for (std::size_t i = 1; i < parts->size(); ++i) {
            state.maintenance.attachments.emplace_back((*parts)[i].id, (*parts)[i].data);
        }
    }
    pugi::xml_document document;
    const pugi::xml_parse_result parsed =
        document.load_buffer(xml.data(), xml.size(), pugi::parse_default, pugi::encoding_utf8);
    const pugi::xml_node envelope = FirstElement(document);
    if (!parsed || LocalName(envelope) != "Envelope") {
        return Fault(400, "env:Sender", "ter:WellFormed", "Well-formed Error");
    }
    const pugi::xml_node header = ChildByLocalName(envelope, "Header");
    const pugi::xml_node operation = FirstElement(ChildByLocalName(envelope, "Body"));
    if (!operation) {
        return Fault(400, "env:Sender", "ter:InvalidArgVal", "No operation in the body");
    }
    const std::string ns = NamespaceOf(operation);
    const Operation* known = nullptr; // also for an operation of another service sent here
    if (ns == service && ns == kDeviceNs) {
        known = FindOperation(LocalName(operation));
        known = known != nullptr ? known : FindMaintenanceOperation(LocalName(operation), state.device);
    } else if (ns == service) {
        known = FindMediaOperation(ns, LocalName(operation));
    }
    if (known == nullptr) {
        return Fault(500, "env:Receiver", "ter:ActionNotSupported", "Optional Action Not Implemented");
    }
    if (known->access != AccessClass::PreAuth) {
        ServiceResponse refusal;
        const std::optional<OnvifUserLevel> level = Authenticate(request, header, state, nowS, refusal);
        if (!level) {
            return refusal;
        }
        if (!LevelMayUse(*level, known->access)) {
            return Fault(400, "env:Sender", "ter:NotAuthorized", "Sender not Authorized");
        }
    }
    const OperationResult result = known->handler(operation, state, nowS + state.device.onvif.clockOffsetS);
    state.maintenance.attachments.clear(); // they point into the request
    if (result.faultCode != nullptr) {
        return Fault(std::string_view(result.faultCode) == "env:Sender" ? 400 : 500, result.faultCode,
                     result.faultSubcode, result.faultReason);
    }
    if (!result.attachmentId.empty()) {
        MultipartAnswer answer =
            JoinMultipart(SoapEnvelope(result.body), result.attachmentId, result.attachment);
        return {200, std::move(answer.body), {}, 0, std::move(answer.contentType)};
    }
    return {200, SoapEnvelope(result.body), {}, 0};
}

} // namespace

std::optional<ServiceResponse> AuthorizeHttp(const ServiceRequest& request, DeviceServiceState& state,
                                             int64_t nowS) {
    ServiceResponse refusal;
    const std::optional<OnvifUserLevel> level = Authenticate(request, pugi::xml_node(), state, nowS, refusal);
    if (!level) {
        return refusal;
    }
    if (*level != OnvifUserLevel::Administrator) {
        return ServiceResponse{403, "administrators only\n", {}, 0};
    }
    return std::nullopt;
}

ServiceResponse HandleDeviceService(const ServiceRequest& request, DeviceServiceState& state, int64_t nowS) {
    ServiceResponse response = Handle(request, state, nowS);
    if (state.device.onvif.malformed && response.status != 401 && response.snapshot.empty()) {
        Break(response);
    }
    response.delayMs = state.device.onvif.slowMs;
    return response;
}

} // namespace onvifsim
