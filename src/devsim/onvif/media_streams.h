#pragma once
// The two streams every simulated ONVIF device has, as its media services
// describe them and its RTSP server sends them: "main" (1920x1080, H.264 or
// H.265 when the lab says so) and "sub" (640x360, H.264), 25 frames a
// second, a key frame every second. Their addresses:
//   rtsp://IP:RTSP-PORT/main and /sub
//   http://IP[:PORT]/onvif/snapshot/main.jpg and sub.jpg
#include "lab.h"

#include <array>
#include <string>
#include <string_view>

namespace onvifsim {

struct MediaStream {
    const char* token; // profile token, also its name and the RTSP path
    int width;
    int height;
    bool h265;
    int bitrateKbps;
};

inline constexpr int kStreamFps = 25;
inline constexpr int kGovLength = 25; // a key frame every second
inline constexpr const char* kMedia1Path = "/onvif/media_service";
inline constexpr const char* kMedia2Path = "/onvif/media2_service";
inline constexpr std::string_view kSnapshotPrefix = "/onvif/snapshot/";

std::array<MediaStream, 2> MediaStreams(const SimDevice& device);
// The stream with this profile token, or null.
const MediaStream* FindStream(const std::array<MediaStream, 2>& streams, std::string_view token);
// The stream a snapshot path names ("/onvif/snapshot/main.jpg"), or null.
const MediaStream* SnapshotStream(const std::array<MediaStream, 2>& streams, std::string_view path);

std::string RtspUrl(const SimDevice& device, const MediaStream& stream);
std::string SnapshotUrl(const SimDevice& device, const MediaStream& stream);

} // namespace onvifsim
