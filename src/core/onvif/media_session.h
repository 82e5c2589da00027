#pragma once
// Finding a device's stream and snapshot addresses through its media
// services: Media2 first (it also describes H.265), Media1 when the device
// has no Media2 or its Media2 gives no answer to use. Each call is
// authenticated as device_call.h describes; a refusal ends the search at
// once (no second service tried with a wrong password).
#include "onvif/device_call.h"
#include "onvif/device_info.h"
#include "onvif/media_requests.h"
#include "operate/preview_stream.h"

#include <string>

namespace onvif {

// The media services' addresses, on the host the device service is
// reached at (a device may name another); empty when absent.
struct MediaServices {
    std::string media2;
    std::string media1;

    bool Any() const { return !media2.empty() || !media1.empty(); }
};
MediaServices MediaServicesOf(const std::vector<ServiceAddress>& services,
                              const std::string& deviceServiceUrl);

struct MediaUriResult {
    StreamEnd outcome = StreamEnd::Failed; // Closed: found
    std::string uri;
    MediaProfile profile; // the profile it belongs to
};

enum class MediaUriKind : uint8_t { Stream, Snapshot };

// The address of the main or sub stream's RTSP stream or snapshot. target
// carries the device's clock offset and time-out; its address is replaced
// by each service's.
MediaUriResult FindMediaUri(SoapTransport& transport, AuthMemory& memory, const DeviceTarget& target,
                            const OnvifCredentials& credentials, int64_t nowUtcSeconds,
                            const MediaServices& services, StreamKind kind, MediaUriKind what);

} // namespace onvif
