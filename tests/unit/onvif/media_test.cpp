// The media services' codecs and the search for a stream's address: the
// requests (read back as XML), answers written as the Media2 and Media1
// documents show them, the choice of main and sub stream, the fallback
// from Media2 to Media1 and the refusals that must not be tried twice.
#include "fake_transport.h"
#include "fixtures.h"
#include "onvif/device_ops.h"
#include "onvif/media_session.h"
#include "onvif/soap.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

using namespace onvif;

namespace {

constexpr int64_t kNow = 1796756400;
const char* kMedia2 = "http://10.0.1.5/onvif/media2_service";
const char* kMedia1 = "http://10.0.1.5/onvif/media_service";

// The request element of the envelope the body goes into.
struct Request {
    pugi::xml_document document;
    pugi::xml_node element;
};
std::unique_ptr<Request> Parse(const std::string& body) {
    auto request = std::make_unique<Request>();
    EXPECT_TRUE(request->document.load_string(BuildSoapEnvelope(body).c_str()));
    request->element = request->document.first_element_by_path("s:Envelope/s:Body").first_child();
    return request;
}

const char* kMedia2Profiles = R"(<tr2:GetProfilesResponse xmlns:tr2="http://www.onvif.org/ver20/media/wsdl">
  <tr2:Profiles token="Profile_1" fixed="true"><tr2:Name>mainStream</tr2:Name>
    <tr2:Configurations>
      <tr2:VideoSource token="VideoSource_1"><tt:Name>VideoSource_1</tt:Name><tt:UseCount>2</tt:UseCount>
        <tt:SourceToken>VideoSourceToken</tt:SourceToken><tt:Bounds x="0" y="0" width="1920" height="1080"/>
      </tr2:VideoSource>
      <tr2:VideoEncoder token="VideoEncoder_1" GovLength="50" Profile="Main">
        <tt:Name>VideoEncoder_1</tt:Name><tt:UseCount>1</tt:UseCount><tt:Encoding>H265</tt:Encoding>
        <tt:Resolution><tt:Width>1920</tt:Width><tt:Height>1080</tt:Height></tt:Resolution>
        <tt:RateControl ConstantBitRate="false"><tt:FrameRateLimit>25</tt:FrameRateLimit>
          <tt:BitrateLimit>4096</tt:BitrateLimit></tt:RateControl>
        <tt:Quality>5</tt:Quality>
      </tr2:VideoEncoder>
    </tr2:Configurations>
  </tr2:Profiles>
  <tr2:Profiles token="Audio_Only" fixed="false"><tr2:Name>audio</tr2:Name><tr2:Configurations/></tr2:Profiles>
  <tr2:Profiles token="Profile_3" fixed="true"><tr2:Name>thirdStream</tr2:Name><tr2:Configurations>
      <tr2:VideoEncoder token="VideoEncoder_3"><tt:Name>VideoEncoder_3</tt:Name><tt:UseCount>1</tt:UseCount>
        <tt:Encoding>H264</tt:Encoding><tt:Resolution><tt:Width>1280</tt:Width><tt:Height>720</tt:Height>
        </tt:Resolution><tt:Quality>4</tt:Quality></tr2:VideoEncoder></tr2:Configurations></tr2:Profiles>
  <tr2:Profiles token="Profile_2" fixed="true"><tr2:Name>subStream</tr2:Name><tr2:Configurations>
      <tr2:VideoEncoder token="VideoEncoder_2"><tt:Name>VideoEncoder_2</tt:Name><tt:UseCount>1</tt:UseCount>
        <tt:Encoding>H264</tt:Encoding><tt:Resolution><tt:Width>640</tt:Width><tt:Height>360</tt:Height>
        </tt:Resolution><tt:Quality>3</tt:Quality></tr2:VideoEncoder></tr2:Configurations></tr2:Profiles>
</tr2:GetProfilesResponse>)";

const char* kMedia1Profiles = R"(<trt:GetProfilesResponse xmlns:trt="http://www.onvif.org/ver10/media/wsdl">
  <trt:Profiles fixed="true" token="prof0"><tt:Name>Main</tt:Name>
    <tt:VideoSourceConfiguration token="vsc"><tt:Name>vsc</tt:Name><tt:UseCount>2</tt:UseCount>
      <tt:SourceToken>vs</tt:SourceToken><tt:Bounds height="1080" width="1920" y="0" x="0"/>
    </tt:VideoSourceConfiguration>
    <tt:VideoEncoderConfiguration token="vec0"><tt:Name>vec0</tt:Name><tt:UseCount>1</tt:UseCount>
      <tt:Encoding>H264</tt:Encoding><tt:Resolution><tt:Width>1920</tt:Width><tt:Height>1080</tt:Height>
      </tt:Resolution><tt:Quality>5</tt:Quality>
      <tt:RateControl><tt:FrameRateLimit>25</tt:FrameRateLimit><tt:EncodingInterval>1</tt:EncodingInterval>
        <tt:BitrateLimit>4096</tt:BitrateLimit></tt:RateControl>
      <tt:SessionTimeout>PT60S</tt:SessionTimeout>
    </tt:VideoEncoderConfiguration>
  </trt:Profiles>
  <trt:Profiles fixed="true" token="prof1"><tt:Name>Sub</tt:Name>
    <tt:VideoEncoderConfiguration token="vec1"><tt:Name>vec1</tt:Name><tt:UseCount>1</tt:UseCount>
      <tt:Encoding>H264</tt:Encoding><tt:Resolution><tt:Width>704</tt:Width><tt:Height>576</tt:Height>
      </tt:Resolution><tt:Quality>3</tt:Quality><tt:SessionTimeout>PT60S</tt:SessionTimeout>
    </tt:VideoEncoderConfiguration>
  </trt:Profiles>
</trt:GetProfilesResponse>)";

std::string Media1Uri(const std::string& response, const std::string& uri) {
    return "<trt:" + response +
           R"( xmlns:trt="http://www.onvif.org/ver10/media/wsdl"><trt:MediaUri><tt:Uri>)" + uri +
           "</tt:Uri><tt:InvalidAfterConnect>false</tt:InvalidAfterConnect>"
           "<tt:InvalidAfterReboot>false</tt:InvalidAfterReboot><tt:Timeout>PT0S</tt:Timeout></"
           "trt:MediaUri></trt:" +
           response + ">";
}

std::string Media2Uri(const std::string& response, const std::string& uri) {
    return "<tr2:" + response + R"( xmlns:tr2="http://www.onvif.org/ver20/media/wsdl"><tr2:Uri>)" + uri +
           "</tr2:Uri></tr2:" + response + ">";
}

std::string ActionName(const SentRequest& sent) {
    return sent.action.substr(sent.action.rfind('/') + 1);
}

} // namespace

TEST(MediaRequests, BodiesNameTheServiceProtocolAndEscapedToken) {
    auto profiles2 = Parse(GetProfilesRequest(MediaVersion::Media2));
    EXPECT_STREQ(profiles2->element.name(), "tr2:GetProfiles");
    EXPECT_STREQ(profiles2->element.attribute("xmlns:tr2").value(), kMedia2Namespace);
    EXPECT_STREQ(profiles2->element.child_value("tr2:Type"), "VideoEncoder");

    auto stream2 = Parse(GetStreamUriRequest(MediaVersion::Media2, "P<1>&2"));
    EXPECT_STREQ(stream2->element.child_value("tr2:Protocol"), "RTSP");
    EXPECT_STREQ(stream2->element.child_value("tr2:ProfileToken"), "P<1>&2");

    auto stream1 = Parse(GetStreamUriRequest(MediaVersion::Media1, "prof0"));
    EXPECT_STREQ(stream1->element.attribute("xmlns:trt").value(), kMedia1Namespace);
    EXPECT_STREQ(stream1->element.first_element_by_path("trt:StreamSetup/tt:Stream").child_value(),
                 "RTP-Unicast");
    EXPECT_STREQ(
        stream1->element.first_element_by_path("trt:StreamSetup/tt:Transport/tt:Protocol").child_value(),
        "RTSP");
    EXPECT_STREQ(stream1->element.child_value("trt:ProfileToken"), "prof0");

    auto snapshot1 = Parse(GetSnapshotUriRequest(MediaVersion::Media1, "prof1"));
    EXPECT_STREQ(snapshot1->element.name(), "trt:GetSnapshotUri");
    EXPECT_STREQ(snapshot1->element.child_value("trt:ProfileToken"), "prof1");
    EXPECT_EQ(MediaAction(MediaVersion::Media2, "GetStreamUri"),
              "http://www.onvif.org/ver20/media/wsdl/GetStreamUri");
}

TEST(MediaResponses, ProfilesOfBothServicesAndTheChoiceOfStreams) {
    const auto media2 = ParseProfiles(MediaVersion::Media2, fixtures::Response(kMedia2Profiles));
    ASSERT_TRUE(media2);
    ASSERT_EQ(media2->size(), 4u);
    EXPECT_EQ((*media2)[0].encoding, "H265");
    EXPECT_EQ((*media2)[0].width, 1920);
    EXPECT_EQ((*media2)[1].encoding, ""); // audio only
    // Main: the first with video; sub: the fewest pixels, not the last listed.
    EXPECT_EQ(ChooseProfile(*media2, StreamKind::Main)->token, "Profile_1");
    EXPECT_EQ(ChooseProfile(*media2, StreamKind::Sub)->token, "Profile_2");

    const auto media1 = ParseProfiles(MediaVersion::Media1, fixtures::Response(kMedia1Profiles));
    ASSERT_TRUE(media1);
    ASSERT_EQ(media1->size(), 2u);
    EXPECT_EQ((*media1)[1].height, 576);
    EXPECT_EQ(ChooseProfile(*media1, StreamKind::Sub)->token, "prof1");
    // One profile is main and sub alike; none with video gives none.
    const std::vector<MediaProfile> single{(*media1)[0]};
    EXPECT_EQ(ChooseProfile(single, StreamKind::Sub)->token, "prof0");
    EXPECT_EQ(ChooseProfile({(*media2)[1]}, StreamKind::Main), nullptr);

    // The other service's answer, a fault and an empty URI are no answers.
    EXPECT_FALSE(ParseProfiles(MediaVersion::Media2, fixtures::Fault("ter:ActionNotSupported")));
    EXPECT_EQ(ParseStreamUri(MediaVersion::Media1,
                             fixtures::Response(Media2Uri("GetStreamUriResponse", "rtsp://x/"))),
              std::nullopt);
    EXPECT_EQ(
        ParseStreamUri(MediaVersion::Media2, fixtures::Response(Media2Uri("GetStreamUriResponse", " "))),
        std::nullopt);
    EXPECT_EQ(ParseStreamUri(MediaVersion::Media2, fixtures::Response(Media2Uri("GetStreamUriResponse",
                                                                                "rtsp://10.0.1.5:554/h265"))),
              "rtsp://10.0.1.5:554/h265");
    EXPECT_EQ(
        ParseSnapshotUri(MediaVersion::Media1,
                         fixtures::Response(Media1Uri("GetSnapshotUriResponse", "http://10.0.1.5/snap.jpg"))),
        "http://10.0.1.5/snap.jpg");
}

TEST(MediaSession, ServicesAreReachedAtTheDeviceServicesHost) {
    const std::vector<ServiceAddress> services{
        {kDeviceNamespace, "http://192.168.0.9/onvif/device_service"},
        {kMedia1Namespace, "http://192.168.0.9:8080/onvif/media_service"},
        {kMedia2Namespace, "http://192.168.0.9/onvif/media2_service"}};
    const MediaServices media = MediaServicesOf(services, "http://10.0.1.5:8000/onvif/device_service");
    EXPECT_EQ(media.media2, "http://10.0.1.5:8000/onvif/media2_service");
    EXPECT_EQ(media.media1, "http://10.0.1.5:8000/onvif/media_service");
    EXPECT_FALSE(MediaServicesOf({services[0]}, "http://10.0.1.5/").Any());

    // The preview is offered by a device with a media service only.
    OnvifDeviceInfo info;
    info.services = {services[0]};
    EXPECT_FALSE(LoginOperations(info).Has(DeviceOperation::Preview));
    info.services.push_back(services[1]);
    EXPECT_TRUE(LoginOperations(info).Has(DeviceOperation::Preview));
}

TEST(MediaSession, Media1WhenMedia2FailsAndNoSecondServiceAfterARefusal) {
    const MediaServices both{kMedia2, kMedia1};
    const DeviceTarget target{"http://10.0.1.5/onvif/device_service", 0, 5000};
    OnvifCredentials credentials;
    credentials.user = "admin";
    credentials.password = "secret";

    // Media2 that faults on the stream address: Media1 gives it.
    FakeTransport fallback([](const SentRequest& request) {
        const std::string name = ActionName(request);
        if (request.url == kMedia2) {
            return name == "GetProfiles" ? Reply(200, fixtures::Response(kMedia2Profiles))
                                         : Reply(500, fixtures::Fault("ter:InvalidArgVal"));
        }
        if (name == "GetProfiles") {
            return Reply(200, fixtures::Response(kMedia1Profiles));
        }
        return Reply(200, fixtures::Response(Media1Uri("GetStreamUriResponse", "rtsp://10.0.1.5/sub")));
    });
    AuthMemory memory;
    const MediaUriResult found = FindMediaUri(fallback, memory, target, credentials, kNow, both,
                                              StreamKind::Sub, MediaUriKind::Stream);
    EXPECT_EQ(found.outcome, StreamEnd::Closed);
    EXPECT_EQ(found.uri, "rtsp://10.0.1.5/sub");
    EXPECT_EQ(found.profile.token, "prof1");
    const std::vector<SentRequest> sent = fallback.Sent();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_NE(sent[1].envelope.find("Profile_2"), std::string::npos); // Media2's sub stream was asked for
    EXPECT_EQ(sent[3].url, kMedia1);
    EXPECT_NE(sent[3].envelope.find("prof1"), std::string::npos);

    // A wrong password: both methods refused at Media2, Media1 never asked.
    FakeTransport refusing([](const SentRequest& request) {
        return HasToken(request) ? Reply(400, fixtures::Fault("ter:NotAuthorized")) : Reply(401, "");
    });
    AuthMemory fresh;
    const MediaUriResult refused = FindMediaUri(refusing, fresh, target, credentials, kNow, both,
                                                StreamKind::Main, MediaUriKind::Stream);
    EXPECT_EQ(refused.outcome, StreamEnd::WrongPassword);
    EXPECT_EQ(refusing.Sent().size(), 2u);
    EXPECT_STREQ(StreamEndKey(refused.outcome), "info.Preview_auth_fail");

    // No media service at all: no stream, nothing sent.
    FakeTransport silent([](const SentRequest&) { return Reply(500, ""); });
    EXPECT_EQ(
        FindMediaUri(silent, fresh, target, credentials, kNow, {}, StreamKind::Main, MediaUriKind::Snapshot)
            .outcome,
        StreamEnd::NoStream);
    EXPECT_TRUE(silent.Sent().empty());
}
