// The ONVIF discovery source on a fake network: probes per interface and
// round, the replies that count, one record per device, the clock read
// before a login, and the merge with the native family's records.
#include "fake_transport.h"
#include "fixtures.h"
#include "onvif/match_collector.h"
#include "onvif/onvif_discovery.h"
#include "onvif/ws_discovery.h"

#include <deque>
#include <gtest/gtest.h>

using namespace onvif;

namespace {

struct ManualClock : Clock {
    int64_t now = 0;
    int64_t NowMs() override { return now; }
    void SleepMs(int64_t ms) override { now += ms; }
};

struct Sent {
    std::size_t socket;
    net::Ipv4Endpoint to;
    std::string messageId;
};

// Devices answer each probe at once with what respond returns; time moves
// only when the source waits for a datagram.
class FakeChannel : public WsdChannel {
public:
    using Respond = std::function<std::vector<WsdDatagram>(const Sent&, const std::string& probe)>;
    FakeChannel(std::size_t sockets, ManualClock& clock, Respond respond, std::vector<Sent>& sent)
        : m_sockets(sockets), m_clock(clock), m_respond(std::move(respond)), m_sent(sent) {}

    std::size_t SocketCount() const override { return m_sockets; }
    bool Send(std::size_t socket, std::string_view datagram, net::Ipv4Endpoint to) override {
        const auto probe = ParseWsdMessage(datagram);
        m_sent.push_back({socket, to, probe ? probe->messageId : ""});
        for (WsdDatagram& reply : m_respond(m_sent.back(), std::string(datagram))) {
            m_queue.push_back(std::move(reply));
        }
        return true;
    }
    std::optional<WsdDatagram> Receive(int timeoutMs) override {
        if (m_queue.empty()) {
            m_clock.now += std::max(timeoutMs, 1);
            return std::nullopt;
        }
        WsdDatagram next = std::move(m_queue.front());
        m_queue.pop_front();
        return next;
    }

private:
    std::size_t m_sockets;
    ManualClock& m_clock;
    Respond m_respond;
    std::vector<Sent>& m_sent;
    std::deque<WsdDatagram> m_queue;
};

constexpr uint32_t kCamera = 0x0A000105; // 10.0.1.5

std::string Match(const std::string& relatesTo, const std::string& endpoint, const std::string& xaddr) {
    return fixtures::ProbeMatches(relatesTo, NewMessageId(), endpoint, xaddr, fixtures::kCameraScopes);
}

} // namespace

TEST(OnvifDiscovery, ProbesEveryInterfaceAndKeepsOnlyRepliesToOurProbes) {
    ManualClock clock;
    std::vector<Sent> sent;
    WsdNetwork network;
    network.interfaces = [] {
        return std::vector<net::InterfaceAddress>{
            {.name = "eth0", .address = 0x0A000101, .mask = 0xFFFFFF00},
            {.name = "eth1", .address = 0xC0A80001, .mask = 0xFFFFFF00}};
    };
    network.openProbe = [&](const std::vector<net::InterfaceAddress>& interfaces) {
        return std::make_unique<FakeChannel>(
            interfaces.size(), clock,
            [](const Sent& probe, const std::string& text) {
                // Only the camera on eth0 answers; it answers every probe (so
                // it is heard six times), once with a link-local XAddr, and
                // its reply is repeated. Around it: our probe heard back, a
                // reply to someone else's probe and a malformed one.
                std::vector<WsdDatagram> replies;
                if (probe.socket != 0) {
                    return replies;
                }
                const std::string reply =
                    Match(probe.messageId, "urn:uuid:cam-1", "http://169.254.7.7:8080/onvif/device_service");
                replies.push_back({0, {kCamera, 3702}, reply, {}});
                replies.push_back({0, {kCamera, 3702}, reply, {}});
                replies.push_back({0, {0x0A000101, 3702}, text, {}});
                replies.push_back({0,
                                   {0x0A000109, 3702},
                                   Match("urn:uuid:not-ours", "urn:uuid:cam-2", "http://10.0.1.9/x"),
                                   {}});
                replies.push_back({0, {0x0A000109, 3702}, reply.substr(0, 200), {}});
                return replies;
            },
            sent);
    };
    FakeTransport transport([](const SentRequest& request) {
        EXPECT_EQ(request.auth, HttpAuth::None);
        return Reply(200, fixtures::DateAndTime(2026, 12, 8, 19, 0, 0));
    });
    OnvifDiscovery source(std::shared_ptr<SoapTransport>(&transport, [](SoapTransport*) {}), network);

    SearchOptions options;
    options.clock = &clock;
    std::vector<DeviceEntry> reported;
    std::vector<DeviceEntry> timed;
    std::mutex timedMutex;
    options.progress.v1Found = [&](std::vector<DeviceEntry> found) {
        reported.insert(reported.end(), found.begin(), found.end());
    };
    options.progress.v3Found = [&](std::vector<DeviceEntry> found) {
        const std::lock_guard lock(timedMutex);
        timed.insert(timed.end(), found.begin(), found.end());
    };
    const SearchResult result = source.Run(options, nullptr);

    // 2 interfaces x 2 probe types x 3 rounds, each with its own MessageID,
    // all to the group.
    ASSERT_EQ(sent.size(), 12u);
    std::set<std::string> ids;
    for (const Sent& probe : sent) {
        ids.insert(probe.messageId);
        EXPECT_EQ(probe.to, (net::Ipv4Endpoint{kWsDiscoveryGroup, kWsDiscoveryPort}));
    }
    EXPECT_EQ(ids.size(), 12u);
    EXPECT_EQ(clock.now, options.timing.phaseMs * 2); // the search window

    ASSERT_EQ(reported.size(), 1u);
    ASSERT_EQ(result.devices.size(), 1u);
    const DeviceEntry& camera = result.devices.at("urn:uuid:cam-1");
    EXPECT_EQ(camera.ip, "10.0.1.5");
    EXPECT_EQ(camera.onvifPort, 8080);
    EXPECT_EQ(camera.onvif.deviceServiceUrl, "http://10.0.1.5:8080/onvif/device_service");
    EXPECT_TRUE(camera.mac.empty());
    EXPECT_EQ(DeviceKey(camera), "urn:uuid:cam-1");
    EXPECT_TRUE(camera.families.Has(DeviceFamily::Onvif));
    // A video transmitter offers its preview before the login.
    OperationSet expected = OnvifOperations();
    expected |= OperationSet{DeviceOperation::Preview};
    EXPECT_EQ(camera.operations, expected);
    // The clock was read once, without a login.
    EXPECT_EQ(transport.Sent().size(), 1u);
    EXPECT_TRUE(camera.onvif.clockKnown);
    EXPECT_EQ(camera.deviceTime, "2026-12-08 20:00:00");
    EXPECT_NEAR(static_cast<double>(camera.onvif.clockOffsetSeconds),
                static_cast<double>(1796756400 - std::time(nullptr)), 60.0);
    ASSERT_EQ(timed.size(), 1u);
    EXPECT_EQ(timed[0].deviceTime, camera.deviceTime);
}

TEST(OnvifDiscovery, UnicastProbeIsBounded) {
    ManualClock clock;
    std::vector<Sent> sent;
    WsdNetwork network;
    network.openProbe = [&](const std::vector<net::InterfaceAddress>& interfaces) {
        EXPECT_EQ(interfaces.size(), 1u);
        return std::make_unique<FakeChannel>(
            1, clock, [](const Sent&, const std::string&) { return std::vector<WsdDatagram>{}; }, sent);
    };
    FakeTransport transport([](const SentRequest&) { return Reply(500, ""); });
    OnvifDiscovery source(std::shared_ptr<SoapTransport>(&transport, [](SoapTransport*) {}), network);
    SearchOptions options;
    options.clock = &clock;
    EXPECT_FALSE(source.ProbeUnicast(0x0A000000, 0x0A000400, options, nullptr).accepted); // 1025
    EXPECT_FALSE(source.ProbeUnicast(0x0A000002, 0x0A000001, options, nullptr).accepted);
    EXPECT_TRUE(sent.empty());
    EXPECT_TRUE(source.ProbeUnicast(0x0A0000FE, 0x0A000101, options, nullptr).accepted);
    ASSERT_EQ(sent.size(), 4u * 2 * 3);
    EXPECT_EQ(sent[0].to, (net::Ipv4Endpoint{0x0A0000FE, kWsDiscoveryPort}));
    EXPECT_EQ(sent[3].to, (net::Ipv4Endpoint{0x0A000101, kWsDiscoveryPort}));
}

TEST(OnvifDiscovery, NativeDeviceAnsweringWsDiscoveryIsOneRecord) {
    DeviceEntry native;
    native.mac = "00-0F-7C-1A-2B-3C";
    native.ip = "10.0.1.5";
    native.model = "N-100";
    native.operations = NativeOperations(0);
    native.families = DeviceFamilies{DeviceFamily::Native};
    DeviceTable table{{native.mac, native}};

    const auto heard =
        ParseWsdMessage(Match("urn:uuid:p", "urn:uuid:cam-1", "http://10.0.1.5/onvif/device_service"));
    ASSERT_TRUE(heard);
    DeviceEntry both = OnvifRecord(heard->matches.at(0), kCamera);
    const auto other =
        ParseWsdMessage(Match("urn:uuid:p", "urn:uuid:cam-2", "http://10.0.1.6/onvif/device_service"));
    DeviceEntry onvifOnly = OnvifRecord(other->matches.at(0), 0x0A000106);
    MergeFamily(table, {{DeviceKey(both), both}, {DeviceKey(onvifOnly), onvifOnly}});

    ASSERT_EQ(table.size(), 2u);
    const DeviceEntry& merged = table.at(native.mac);
    EXPECT_EQ(merged.model, "N-100"); // native facts win
    EXPECT_EQ(merged.onvif.endpointReference, "urn:uuid:cam-1");
    EXPECT_TRUE(merged.families.Has(DeviceFamily::Native) && merged.families.Has(DeviceFamily::Onvif));
    EXPECT_EQ(merged.operations, NativeOperations(0));
    EXPECT_EQ(table.at("urn:uuid:cam-2").ip, "10.0.1.6");
}
