#include "onvif/media_streams.h"

#include "net/udp_socket.h"
#include "onvif/onvif_defaults.h"

namespace onvifsim {

std::array<MediaStream, 2> MediaStreams(const SimDevice& device) {
    return {{{"main", 1920, 1080, device.onvif.media.h265, 4096}, {"sub", 640, 360, false, 512}}};
}

const MediaStream* FindStream(const std::array<MediaStream, 2>& streams, std::string_view token) {
    for (const MediaStream& stream : streams) {
        if (token == stream.token) {
            return &stream;
        }
    }
    return nullptr;
}

const MediaStream* SnapshotStream(const std::array<MediaStream, 2>& streams, std::string_view path) {
    constexpr std::string_view kSuffix = ".jpg";
    if (!path.starts_with(kSnapshotPrefix) || !path.ends_with(kSuffix)) {
        return nullptr;
    }
    path.remove_prefix(kSnapshotPrefix.size());
    path.remove_suffix(kSuffix.size());
    return FindStream(streams, path);
}

std::string RtspUrl(const SimDevice& device, const MediaStream& stream) {
    return "rtsp://" + net::AddressToText(device.fields.ip) + ":" +
           std::to_string(device.onvif.settings.rtsp.port) + "/" + stream.token;
}

std::string SnapshotUrl(const SimDevice& device, const MediaStream& stream) {
    return OnvifHttpUrl(device, std::string(kSnapshotPrefix) + stream.token + ".jpg");
}

} // namespace onvifsim
