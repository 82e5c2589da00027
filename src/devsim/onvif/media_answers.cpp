#include "onvif/media_answers.h"

#include "onvif/media_streams.h"
#include "onvif/onvif_defaults.h"
#include "onvif/soap_text.h"

#include <map>
#include <optional>
#include <utility>

namespace onvifsim {

namespace {

constexpr const char* kSourceToken = "video";

OperationResult Answer(const char* prefix, const char* name, const std::string& inner) {
    const std::string tag = std::string(prefix) + ":" + name + "Response";
    return {"<" + tag + ">" + inner + "</" + tag + ">"};
}

OperationResult NoProfile() {
    return {{}, "env:Sender", "ter:InvalidArgVal", "No such profile"};
}

std::string Number(int value) {
    return std::to_string(value);
}

std::string Resolution(const MediaStream& stream) {
    return "<tt:Resolution><tt:Width>" + Number(stream.width) + "</tt:Width><tt:Height>" +
           Number(stream.height) + "</tt:Height></tt:Resolution>";
}

// The video source both profiles share, as the inside of a configuration.
std::string SourceConfiguration(const std::array<MediaStream, 2>& streams) {
    return std::string("<tt:Name>source</tt:Name><tt:UseCount>2</tt:UseCount><tt:SourceToken>") +
           kSourceToken + "</tt:SourceToken><tt:Bounds x=\"0\" y=\"0\" width=\"" + Number(streams[0].width) +
           "\" height=\"" + Number(streams[0].height) + "\"/>";
}

const char* Encoding(const MediaStream& stream) {
    return stream.h265 ? "H265" : "H264";
}

const char* ProfileName(const MediaStream& stream) {
    return stream.h265 ? "Main" : "Baseline";
}

std::string UriAnswer(const std::string& uri) {
    return "<trt:MediaUri><tt:Uri>" + XmlEscape(uri) +
           "</tt:Uri><tt:InvalidAfterConnect>false</tt:InvalidAfterConnect><tt:InvalidAfterReboot>false"
           "</tt:InvalidAfterReboot><tt:Timeout>PT0S</tt:Timeout></trt:MediaUri>";
}

// The stream the request's ProfileToken names, if the device has it.
std::optional<MediaStream> RequestedStream(const pugi::xml_node& request, const SimDevice& device) {
    const auto streams = MediaStreams(device);
    const MediaStream* stream =
        FindStream(streams, ChildByLocalName(request, "ProfileToken").text().as_string());
    return stream != nullptr ? std::optional(*stream) : std::nullopt;
}

// Media1 ------------------------------------------------------------------

// element: "trt:Profiles" in GetProfiles, "trt:Profile" in GetProfile.
std::string Media1Profile(const std::array<MediaStream, 2>& streams, const MediaStream& stream,
                          const std::string& element = "trt:Profiles") {
    std::string codec;
    if (!stream.h265) {
        codec = "<tt:H264><tt:GovLength>" + Number(kGovLength) + "</tt:GovLength><tt:H264Profile>" +
                ProfileName(stream) + "</tt:H264Profile></tt:H264>";
    }
    const std::string token = stream.token;
    return "<" + element + " token=\"" + token + "\" fixed=\"true\"><tt:Name>" + token +
           "</tt:Name><tt:VideoSourceConfiguration token=\"source\">" + SourceConfiguration(streams) +
           "</tt:VideoSourceConfiguration><tt:VideoEncoderConfiguration token=\"" + token +
           "-encoder\"><tt:Name>" + token + "-encoder</tt:Name><tt:UseCount>1</tt:UseCount><tt:Encoding>" +
           Encoding(stream) + "</tt:Encoding>" + Resolution(stream) +
           "<tt:Quality>5</tt:Quality><tt:RateControl><tt:FrameRateLimit>" + Number(kStreamFps) +
           "</tt:FrameRateLimit><tt:EncodingInterval>1</tt:EncodingInterval><tt:BitrateLimit>" +
           Number(stream.bitrateKbps) + "</tt:BitrateLimit></tt:RateControl>" + codec +
           "<tt:Multicast><tt:Address><tt:Type>IPv4</tt:Type><tt:IPv4Address>0.0.0.0</tt:IPv4Address>"
           "</tt:Address><tt:Port>0</tt:Port><tt:TTL>0</tt:TTL><tt:AutoStart>false</tt:AutoStart>"
           "</tt:Multicast><tt:SessionTimeout>PT60S</tt:SessionTimeout></tt:VideoEncoderConfiguration></" +
           element + ">";
}

std::string Media1Capabilities() {
    return "<trt:Capabilities SnapshotUri=\"true\" Rotation=\"false\" VideoSourceMode=\"false\" "
           "OSD=\"false\">"
           "<trt:ProfileCapabilities MaximumNumberOfProfiles=\"2\"/><trt:StreamingCapabilities "
           "RTPMulticast=\"false\" RTP_TCP=\"true\" RTP_RTSP_TCP=\"true\" NonAggregateControl=\"false\"/>"
           "</trt:Capabilities>";
}

OperationResult Media1ServiceCapabilities(const pugi::xml_node&, DeviceServiceState&, int64_t) {
    return Answer("trt", "GetServiceCapabilities", Media1Capabilities());
}

OperationResult Media1Profiles(const pugi::xml_node&, DeviceServiceState& state, int64_t) {
    const auto streams = MediaStreams(state.device);
    return Answer("trt", "GetProfiles",
                  Media1Profile(streams, streams[0]) + Media1Profile(streams, streams[1]));
}

OperationResult Media1GetProfile(const pugi::xml_node& request, DeviceServiceState& state, int64_t) {
    const auto stream = RequestedStream(request, state.device);
    if (!stream) {
        return NoProfile();
    }
    return Answer("trt", "GetProfile", Media1Profile(MediaStreams(state.device), *stream, "trt:Profile"));
}

OperationResult Media1VideoSources(const pugi::xml_node&, DeviceServiceState& state, int64_t) {
    const MediaStream main = MediaStreams(state.device)[0];
    return Answer("trt", "GetVideoSources",
                  std::string("<trt:VideoSources token=\"") + kSourceToken + "\"><tt:Framerate>" +
                      Number(kStreamFps) + "</tt:Framerate>" + Resolution(main) + "</trt:VideoSources>");
}

OperationResult Media1StreamUri(const pugi::xml_node& request, DeviceServiceState& state, int64_t) {
    const auto stream = RequestedStream(request, state.device);
    if (!stream) {
        return NoProfile();
    }
    const pugi::xml_node setup = ChildByLocalName(request, "StreamSetup");
    const std::string kind = ChildByLocalName(setup, "Stream").text().as_string();
    const std::string protocol =
        ChildByLocalName(ChildByLocalName(setup, "Transport"), "Protocol").text().as_string();
    if ((!kind.empty() && kind != "RTP-Unicast") || protocol == "HTTP") {
        return {{}, "env:Sender", "ter:InvalidArgVal", "Only RTP unicast over RTSP"};
    }
    return Answer("trt", "GetStreamUri", UriAnswer(RtspUrl(state.device, *stream)));
}

OperationResult Media1SnapshotUri(const pugi::xml_node& request, DeviceServiceState& state, int64_t) {
    const auto stream = RequestedStream(request, state.device);
    if (!stream) {
        return NoProfile();
    }
    return Answer("trt", "GetSnapshotUri", UriAnswer(SnapshotUrl(state.device, *stream)));
}

// Media2 ------------------------------------------------------------------

// The configurations a GetProfiles asks for ("All", "VideoSource",
// "VideoEncoder"); without a Type only names and tokens are sent.
std::pair<bool, bool> WantedConfigurations(const pugi::xml_node& request) {
    bool source = false;
    bool encoder = false;
    for (pugi::xml_node type = request.first_child(); type; type = type.next_sibling()) {
        if (LocalName(type) != "Type") {
            continue;
        }
        const std::string name = type.text().as_string();
        source = source || name == "All" || name == "VideoSource";
        encoder = encoder || name == "All" || name == "VideoEncoder";
    }
    return {source, encoder};
}

std::string Media2Profile(const std::array<MediaStream, 2>& streams, const MediaStream& stream,
                          std::pair<bool, bool> wanted) {
    const std::string token = stream.token;
    std::string configurations;
    if (wanted.first) {
        configurations +=
            "<tr2:VideoSource token=\"source\">" + SourceConfiguration(streams) + "</tr2:VideoSource>";
    }
    if (wanted.second) {
        configurations += "<tr2:VideoEncoder token=\"" + token + "-encoder\" GovLength=\"" +
                          Number(kGovLength) + "\" Profile=\"" + ProfileName(stream) + "\"><tt:Name>" +
                          token + "-encoder</tt:Name><tt:UseCount>1</tt:UseCount><tt:Encoding>" +
                          Encoding(stream) + "</tt:Encoding>" + Resolution(stream) +
                          "<tt:RateControl ConstantBitRate=\"false\"><tt:FrameRateLimit>" +
                          Number(kStreamFps) + "</tt:FrameRateLimit><tt:BitrateLimit>" +
                          Number(stream.bitrateKbps) +
                          "</tt:BitrateLimit></tt:RateControl><tt:Quality>5</tt:Quality></tr2:VideoEncoder>";
    }
    return "<tr2:Profiles token=\"" + token + "\" fixed=\"true\"><tr2:Name>" + token + "</tr2:Name>" +
           (configurations.empty() ? "" : "<tr2:Configurations>" + configurations + "</tr2:Configurations>") +
           "</tr2:Profiles>";
}

std::string Media2Capabilities() {
    return "<tr2:Capabilities SnapshotUri=\"true\" Rotation=\"false\" VideoSourceMode=\"false\" "
           "OSD=\"false\" "
           "TemporaryOSDText=\"false\" Mask=\"false\" SourceMask=\"false\"><tr2:ProfileCapabilities "
           "MaximumNumberOfProfiles=\"2\" ConfigurationsSupported=\"VideoSource VideoEncoder\"/>"
           "<tr2:StreamingCapabilities RTSPStreaming=\"true\" RTPMulticast=\"false\" RTP_RTSP_TCP=\"true\" "
           "NonAggregateControl=\"false\" AutoStartMulticast=\"false\"/></tr2:Capabilities>";
}

OperationResult Media2ServiceCapabilities(const pugi::xml_node&, DeviceServiceState&, int64_t) {
    return Answer("tr2", "GetServiceCapabilities", Media2Capabilities());
}

OperationResult Media2Profiles(const pugi::xml_node& request, DeviceServiceState& state, int64_t) {
    const auto streams = MediaStreams(state.device);
    const std::string token = ChildByLocalName(request, "Token").text().as_string();
    const auto wanted = WantedConfigurations(request);
    std::string profiles;
    for (const MediaStream& stream : streams) {
        if (token.empty() || token == stream.token) {
            profiles += Media2Profile(streams, stream, wanted);
        }
    }
    if (profiles.empty()) {
        return NoProfile();
    }
    return Answer("tr2", "GetProfiles", profiles);
}

OperationResult Media2StreamUri(const pugi::xml_node& request, DeviceServiceState& state, int64_t) {
    const auto stream = RequestedStream(request, state.device);
    if (!stream) {
        return NoProfile();
    }
    const std::string protocol = ChildByLocalName(request, "Protocol").text().as_string();
    if (protocol != "RtspUnicast" && protocol != "RTSP") {
        return {{}, "env:Sender", "ter:InvalidArgVal", "Only RtspUnicast"};
    }
    return Answer("tr2", "GetStreamUri",
                  "<tr2:Uri>" + XmlEscape(RtspUrl(state.device, *stream)) + "</tr2:Uri>");
}

OperationResult Media2SnapshotUri(const pugi::xml_node& request, DeviceServiceState& state, int64_t) {
    const auto stream = RequestedStream(request, state.device);
    if (!stream) {
        return NoProfile();
    }
    return Answer("tr2", "GetSnapshotUri",
                  "<tr2:Uri>" + XmlEscape(SnapshotUrl(state.device, *stream)) + "</tr2:Uri>");
}

std::string ServiceEntry(const SimDevice& device, const char* ns, const char* path,
                         const std::string& capabilities, int minor) {
    return std::string("<tds:Service><tds:Namespace>") + ns + "</tds:Namespace><tds:XAddr>" +
           XmlEscape(OnvifHttpUrl(device, path)) + "</tds:XAddr>" +
           (capabilities.empty() ? "" : "<tds:Capabilities>" + capabilities + "</tds:Capabilities>") +
           "<tds:Version><tt:Major>2</tt:Major><tt:Minor>" + Number(minor) +
           "</tt:Minor></tds:Version></tds:Service>";
}

} // namespace

const Operation* FindMediaOperation(std::string_view ns, std::string_view name) {
    static const std::map<std::string_view, Operation> media1{
        {"GetServiceCapabilities", {AccessClass::PreAuth, Media1ServiceCapabilities}},
        {"GetProfiles", {AccessClass::ReadSystem, Media1Profiles}},
        {"GetProfile", {AccessClass::ReadSystem, Media1GetProfile}},
        {"GetVideoSources", {AccessClass::ReadSystem, Media1VideoSources}},
        {"GetStreamUri", {AccessClass::ReadSystem, Media1StreamUri}},
        {"GetSnapshotUri", {AccessClass::ReadSystem, Media1SnapshotUri}},
    };
    static const std::map<std::string_view, Operation> media2{
        {"GetServiceCapabilities", {AccessClass::PreAuth, Media2ServiceCapabilities}},
        {"GetProfiles", {AccessClass::ReadSystem, Media2Profiles}},
        {"GetStreamUri", {AccessClass::ReadSystem, Media2StreamUri}},
        {"GetSnapshotUri", {AccessClass::ReadSystem, Media2SnapshotUri}},
    };
    if (ns != kMedia1Ns && ns != kMedia2Ns) {
        return nullptr;
    }
    const auto& operations = ns == kMedia1Ns ? media1 : media2;
    const auto it = operations.find(name);
    return it == operations.end() ? nullptr : &it->second;
}

std::string MediaCapabilitiesEntry(const SimDevice& device) {
    if (!device.onvif.media.media1) {
        return {};
    }
    return "<tt:Media><tt:XAddr>" + XmlEscape(OnvifHttpUrl(device, kMedia1Path)) +
           "</tt:XAddr><tt:StreamingCapabilities><tt:RTPMulticast>false</tt:RTPMulticast><tt:RTP_TCP>true"
           "</tt:RTP_TCP><tt:RTP_RTSP_TCP>true</tt:RTP_RTSP_TCP></tt:StreamingCapabilities></tt:Media>";
}

std::string MediaServicesEntries(const SimDevice& device, bool includeCapability) {
    std::string out;
    if (device.onvif.media.media2) {
        out +=
            ServiceEntry(device, kMedia2Ns, kMedia2Path, includeCapability ? Media2Capabilities() : "", 60);
    }
    if (device.onvif.media.media1) {
        out +=
            ServiceEntry(device, kMedia1Ns, kMedia1Path, includeCapability ? Media1Capabilities() : "", 60);
    }
    return out;
}

} // namespace onvifsim
