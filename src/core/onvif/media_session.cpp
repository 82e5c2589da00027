#include "onvif/media_session.h"

#include <algorithm>
#include <optional>

namespace onvif {
namespace {

// The host (and port) of an address: what stands between "//" and the path.
std::string HostPart(const std::string& url) {
    const std::size_t scheme = url.find("://");
    const std::size_t start = scheme == std::string::npos ? 0 : scheme + 3;
    return url.substr(start, std::min(url.find('/', start), url.size()) - start);
}

std::string OnDeviceHost(const std::string& xaddr, const std::string& deviceServiceUrl) {
    const std::size_t scheme = xaddr.find("://");
    if (scheme == std::string::npos || deviceServiceUrl.empty()) {
        return xaddr;
    }
    const std::size_t start = scheme + 3;
    const std::size_t pathAt = std::min(xaddr.find('/', start), xaddr.size());
    return xaddr.substr(0, start) + HostPart(deviceServiceUrl) + xaddr.substr(pathAt);
}

StreamEnd FromCall(CallOutcome outcome) {
    switch (outcome) {
    case CallOutcome::Refused:
    case CallOutcome::Locked:
        return StreamEnd::WrongPassword;
    case CallOutcome::Unreachable:
    case CallOutcome::Timeout:
        return StreamEnd::Unreachable;
    case CallOutcome::Ok:
    case CallOutcome::Fault:
    case CallOutcome::BadReply:
        break;
    }
    return StreamEnd::NoStream;
}

} // namespace

MediaServices MediaServicesOf(const std::vector<ServiceAddress>& services,
                              const std::string& deviceServiceUrl) {
    MediaServices media;
    for (const ServiceAddress& service : services) {
        if (service.ns == kMedia2Namespace && media.media2.empty()) {
            media.media2 = OnDeviceHost(service.xaddr, deviceServiceUrl);
        } else if (service.ns == kMedia1Namespace && media.media1.empty()) {
            media.media1 = OnDeviceHost(service.xaddr, deviceServiceUrl);
        }
    }
    return media;
}

MediaUriResult FindMediaUri(SoapTransport& transport, AuthMemory& memory, const DeviceTarget& target,
                            const OnvifCredentials& credentials, int64_t nowUtcSeconds,
                            const MediaServices& services, StreamKind kind, MediaUriKind what) {
    MediaUriResult result;
    result.outcome = StreamEnd::NoStream;
    const std::pair<MediaVersion, const std::string*> order[] = {{MediaVersion::Media2, &services.media2},
                                                                 {MediaVersion::Media1, &services.media1}};
    for (const auto& entry : order) {
        const MediaVersion version = entry.first;
        if (entry.second->empty()) {
            continue;
        }
        DeviceTarget service = target;
        service.url = *entry.second;
        // Ok: the body; a refusal or no connection ends the search.
        std::optional<StreamEnd> ended;
        const auto call = [&](std::string_view name, const std::string& body) -> std::string {
            CallResult answer = CallAuthenticated(transport, memory, service, credentials,
                                                  MediaAction(version, name), body, nowUtcSeconds);
            if (answer.outcome == CallOutcome::Ok) {
                return std::move(answer.body);
            }
            if (FromCall(answer.outcome) != StreamEnd::NoStream) {
                ended = FromCall(answer.outcome);
            }
            return {};
        };
        const auto profiles = ParseProfiles(version, call("GetProfiles", GetProfilesRequest(version)));
        if (ended) {
            result.outcome = *ended;
            return result;
        }
        const MediaProfile* profile = profiles ? ChooseProfile(*profiles, kind) : nullptr;
        if (profile == nullptr) {
            continue;
        }
        const std::optional<std::string> uri =
            what == MediaUriKind::Stream
                ? ParseStreamUri(version, call("GetStreamUri", GetStreamUriRequest(version, profile->token)))
                : ParseSnapshotUri(version,
                                   call("GetSnapshotUri", GetSnapshotUriRequest(version, profile->token)));
        if (ended) {
            result.outcome = *ended;
            return result;
        }
        if (uri) {
            result.outcome = StreamEnd::Closed;
            result.uri = *uri;
            result.profile = *profile;
            return result;
        }
    }
    return result;
}

} // namespace onvif
