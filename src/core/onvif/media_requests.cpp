#include "onvif/media_requests.h"

#include "onvif/soap.h"
#include "onvif/xml_reader.h"

namespace onvif {
namespace {

constexpr int kMaxDimension = 65535;

const char* NamespaceOf(MediaVersion version) {
    return version == MediaVersion::Media2 ? kMedia2Namespace : kMedia1Namespace;
}

// The request element, its prefix bound on itself.
std::string Element(MediaVersion version, std::string_view name, std::string_view content) {
    const std::string prefix = version == MediaVersion::Media2 ? "tr2" : "trt";
    std::string text =
        "<" + prefix + ":" + std::string(name) + " xmlns:" + prefix + "=\"" + NamespaceOf(version) + "\"";
    if (content.empty()) {
        return text + "/>";
    }
    return text + ">" + std::string(content) + "</" + prefix + ":" + std::string(name) + ">";
}

std::string Token(MediaVersion version, std::string_view token) {
    const char* prefix = version == MediaVersion::Media2 ? "tr2" : "trt";
    return std::string("<") + prefix + ":ProfileToken>" + Escape(token) + "</" + prefix + ":ProfileToken>";
}

// Media2 lists the encoder under Configurations/VideoEncoder, Media1 as
// the profile's VideoEncoderConfiguration.
MediaProfile ProfileOf(MediaVersion version, const pugi::xml_node& node) {
    MediaProfile profile;
    profile.token = node.attribute("token").as_string();
    profile.name = Text(Child(node, "Name"));
    const pugi::xml_node encoder = version == MediaVersion::Media2
                                       ? Path(node, {"Configurations", "VideoEncoder"})
                                       : Child(node, "VideoEncoderConfiguration");
    if (encoder) {
        profile.encoding = Text(Child(encoder, "Encoding"));
        const pugi::xml_node resolution = Child(encoder, "Resolution");
        profile.width = static_cast<int>(Number(Child(resolution, "Width"), kMaxDimension, 0));
        profile.height = static_cast<int>(Number(Child(resolution, "Height"), kMaxDimension, 0));
    }
    return profile;
}

// Media2 answers with Uri directly, Media1 with MediaUri/Uri.
std::optional<std::string> UriOf(MediaVersion version, std::string_view text, std::string_view name) {
    const auto response = ParseResponseNamed(text, name);
    if (!response) {
        return std::nullopt;
    }
    const pugi::xml_node uri = version == MediaVersion::Media2 ? Child(response->content, "Uri")
                                                               : Path(response->content, {"MediaUri", "Uri"});
    std::string value = Text(uri);
    if (value.empty()) {
        return std::nullopt;
    }
    return value;
}

bool HasVideo(const MediaProfile& profile) {
    return !profile.encoding.empty() && !profile.token.empty();
}

} // namespace

std::string MediaAction(MediaVersion version, std::string_view name) {
    return std::string(NamespaceOf(version)) + "/" + std::string(name);
}

std::string GetProfilesRequest(MediaVersion version) {
    if (version == MediaVersion::Media2) {
        return Element(version, "GetProfiles", "<tr2:Type>VideoEncoder</tr2:Type>");
    }
    return Element(version, "GetProfiles", {});
}

std::string GetStreamUriRequest(MediaVersion version, std::string_view profileToken) {
    if (version == MediaVersion::Media2) {
        return Element(version, "GetStreamUri",
                       "<tr2:Protocol>RTSP</tr2:Protocol>" + Token(version, profileToken));
    }
    return Element(version, "GetStreamUri",
                   "<trt:StreamSetup><tt:Stream>RTP-Unicast</tt:Stream><tt:Transport><tt:Protocol>RTSP"
                   "</tt:Protocol></tt:Transport></trt:StreamSetup>" +
                       Token(version, profileToken));
}

std::string GetSnapshotUriRequest(MediaVersion version, std::string_view profileToken) {
    return Element(version, "GetSnapshotUri", Token(version, profileToken));
}

std::optional<std::vector<MediaProfile>> ParseProfiles(MediaVersion version, std::string_view text) {
    const auto response = ParseResponseNamed(text, "GetProfilesResponse");
    if (!response) {
        return std::nullopt;
    }
    std::vector<MediaProfile> profiles;
    for (pugi::xml_node child = response->content.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element && LocalName(child) == "Profiles") {
            profiles.push_back(ProfileOf(version, child));
        }
    }
    return profiles;
}

std::optional<std::string> ParseStreamUri(MediaVersion version, std::string_view response) {
    return UriOf(version, response, "GetStreamUriResponse");
}

std::optional<std::string> ParseSnapshotUri(MediaVersion version, std::string_view response) {
    return UriOf(version, response, "GetSnapshotUriResponse");
}

const MediaProfile* ChooseProfile(const std::vector<MediaProfile>& profiles, StreamKind kind) {
    const MediaProfile* chosen = nullptr;
    for (const MediaProfile& profile : profiles) {
        if (!HasVideo(profile)) {
            continue;
        }
        if (kind == StreamKind::Main) {
            return &profile;
        }
        const auto pixels = [](const MediaProfile& p) { return static_cast<int64_t>(p.width) * p.height; };
        if (chosen == nullptr || pixels(profile) < pixels(*chosen)) {
            chosen = &profile;
        }
    }
    return chosen;
}

} // namespace onvif
