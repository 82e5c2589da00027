#pragma once
// The media services' requests this program sends and the parsers of their
// responses: the profiles with their video encoder, the RTSP address of a
// profile's stream and the address of its snapshot, for Media2 and for
// Media1 (the older service, which devices without Media2 offer). Pure:
// each parser takes the response envelope's text and gives nullopt when it
// is not that response (a fault included).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace onvif {

inline constexpr const char* kMedia2Namespace = "http://www.onvif.org/ver20/media/wsdl";
inline constexpr const char* kMedia1Namespace = "http://www.onvif.org/ver10/media/wsdl";

enum class MediaVersion : uint8_t { Media2, Media1 };

// The SOAP action URI of a request of that service.
std::string MediaAction(MediaVersion version, std::string_view name);

// The request bodies (inside s:Body). Tokens are escaped.
std::string GetProfilesRequest(MediaVersion version);
// Media2: the RTSP protocol (RTP interleaved in the RTSP connection, TCP);
// Media1: RTP-Unicast over RTSP, which is the same.
std::string GetStreamUriRequest(MediaVersion version, std::string_view profileToken);
std::string GetSnapshotUriRequest(MediaVersion version, std::string_view profileToken);

struct MediaProfile {
    std::string token;
    std::string name;
    std::string encoding; // "H264", "H265", "JPEG", ...; empty without a video encoder
    int width = 0;        // of the video encoder; 0 when none
    int height = 0;
};

// The profiles in the device's order; an empty list is a valid answer.
std::optional<std::vector<MediaProfile>> ParseProfiles(MediaVersion version, std::string_view response);
// The URI of a GetStreamUri or GetSnapshotUri response; nullopt when it is
// missing or empty.
std::optional<std::string> ParseStreamUri(MediaVersion version, std::string_view response);
std::optional<std::string> ParseSnapshotUri(MediaVersion version, std::string_view response);

enum class StreamKind : uint8_t { Main, Sub };

// The profile that gives the stream: main is the first profile with a video
// encoder, sub the one with the fewest pixels (the first of equals, the
// main one when it is the only). nullptr when no profile has video.
const MediaProfile* ChooseProfile(const std::vector<MediaProfile>& profiles, StreamKind kind);

} // namespace onvif
