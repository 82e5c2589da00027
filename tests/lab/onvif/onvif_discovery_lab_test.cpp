// Runs inside tests/netns-run: the namespace's interface carries 10.253.0.1
// and multicast sent out of it loops back to the namespace's own sockets.
// The responder here is written from the WS-Discovery document with plain
// sockets; it shares no code with the source under test.
#include "onvif/onvif_discovery.h"
#include "onvif/wsd_listener.h"

#include <arpa/inet.h>
#include <condition_variable>
#include <ctime>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace onvif;

namespace {

constexpr const char* kLocal = "10.253.0.1";

int UdpSocket(uint16_t port, bool joinGroup) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
    in_addr interfaceAddress{};
    ::inet_pton(AF_INET, kLocal, &interfaceAddress);
    ::setsockopt(fd, IPPROTO_IP, IP_MULTICAST_IF, &interfaceAddress, sizeof interfaceAddress);
    if (joinGroup) {
        ip_mreq request{};
        ::inet_pton(AF_INET, "239.255.255.250", &request.imr_multiaddr);
        request.imr_interface = interfaceAddress;
        EXPECT_EQ(::setsockopt(fd, IPPROTO_IP, IP_ADD_MEMBERSHIP, &request, sizeof request), 0);
    }
    return fd;
}

std::string Between(const std::string& text, const std::string& open, const std::string& close) {
    const std::size_t start = text.find(open);
    if (start == std::string::npos) {
        return {};
    }
    const std::size_t end = text.find(close, start + open.size());
    return end == std::string::npos ? std::string{}
                                    : text.substr(start + open.size(), end - start - open.size());
}

std::string Announcement(const std::string& body, const std::string& relatesTo, int serial) {
    return "<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\""
           " xmlns:a=\"http://schemas.xmlsoap.org/ws/2004/08/addressing\""
           " xmlns:d=\"http://schemas.xmlsoap.org/ws/2005/04/discovery\"><s:Header>"
           "<a:MessageID>urn:uuid:lab-" +
           std::to_string(serial) + "</a:MessageID>" +
           (relatesTo.empty() ? "" : "<a:RelatesTo>" + relatesTo + "</a:RelatesTo>") + "</s:Header><s:Body>" +
           body + "</s:Body></s:Envelope>";
}

std::string Device(const char* element, const std::string& endpoint, const std::string& xaddr) {
    return std::string("<d:") + element + "><a:EndpointReference><a:Address>" + endpoint +
           "</a:Address></a:EndpointReference><d:Types>dn:NetworkVideoTransmitter</d:Types>"
           "<d:Scopes>onvif://www.onvif.org/name/Lab</d:Scopes><d:XAddrs>" +
           xaddr +
           "</d:XAddrs>"
           "<d:MetadataVersion>1</d:MetadataVersion></d:" +
           element + ">";
}

// Two devices on the group: a camera that answers only typed probes for
// NetworkVideoTransmitter and names a link-local XAddr, and a recorder that
// answers only tds:Device probes at the HTTP port given; plus a stranger
// whose reply relates to a probe nobody sent.
class Responder {
public:
    explicit Responder(uint16_t recorderPort) : m_fd(UdpSocket(3702, true)), m_recorderPort(recorderPort) {
        m_thread = std::thread([this] { Run(); });
    }
    ~Responder() {
        m_stop = true;
        m_thread.join();
        ::close(m_fd);
    }

private:
    void Run() {
        int serial = 0;
        while (!m_stop) {
            pollfd wait{m_fd, POLLIN, 0};
            if (::poll(&wait, 1, 50) <= 0) {
                continue;
            }
            char buffer[65536];
            sockaddr_in from{};
            socklen_t length = sizeof from;
            const ssize_t got =
                ::recvfrom(m_fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
            const std::string probe(buffer, got > 0 ? static_cast<std::size_t>(got) : 0);
            if (probe.find(":Probe>") == std::string::npos) {
                continue;
            }
            const std::string id = Between(probe, "MessageID>", "</");
            std::string reply;
            if (probe.find(":NetworkVideoTransmitter<") != std::string::npos) {
                reply = Device("ProbeMatch", "urn:uuid:lab-cam", "http://169.254.10.20/onvif/device_service");
            } else if (probe.find(":Device<") != std::string::npos) {
                reply = Device("ProbeMatch", "urn:uuid:lab-nvr",
                               "http://" + std::string(kLocal) + ":" + std::to_string(m_recorderPort) +
                                   "/onvif/device_service");
            }
            for (const auto& [body, relatesTo] :
                 {std::pair{reply, id},
                  std::pair{Device("ProbeMatch", "urn:uuid:stranger", "http://10.253.0.9/x"),
                            std::string("urn:uuid:nobody")}}) {
                const std::string text =
                    Announcement("<d:ProbeMatches>" + body + "</d:ProbeMatches>", relatesTo, ++serial + 1000);
                ::sendto(m_fd, text.data(), text.size(), 0, reinterpret_cast<sockaddr*>(&from), length);
            }
        }
    }

    int m_fd;
    uint16_t m_recorderPort;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// Answers every POST on a port of its own with the recorder's clock.
class ClockServer {
public:
    ClockServer() {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        ::inet_pton(AF_INET, kLocal, &local.sin_addr);
        EXPECT_EQ(::bind(m_fd, reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
        ::listen(m_fd, 8);
        socklen_t length = sizeof local;
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&local), &length);
        port = ntohs(local.sin_port);
        m_thread = std::thread([this] { Run(); });
    }
    ~ClockServer() {
        m_stop = true;
        m_thread.join();
        ::close(m_fd);
    }
    uint16_t port = 0;
    std::atomic<int> posts{0};
    std::string contentType;

private:
    void Run() {
        while (!m_stop) {
            pollfd wait{m_fd, POLLIN, 0};
            if (::poll(&wait, 1, 50) <= 0) {
                continue;
            }
            const int client = ::accept(m_fd, nullptr, nullptr);
            std::string request;
            char buffer[4096];
            while (request.find("</s:Envelope>") == std::string::npos) {
                const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
                if (got <= 0) {
                    break;
                }
                request.append(buffer, static_cast<std::size_t>(got));
            }
            if (request.rfind("POST /onvif/device_service", 0) == 0 &&
                request.find("GetSystemDateAndTime") != std::string::npos) {
                contentType = Between(request, "Content-Type: ", "\r\n");
                ++posts;
            }
            const std::string body =
                "<e:Envelope xmlns:e=\"http://www.w3.org/2003/05/soap-envelope\" "
                "xmlns:t=\"http://www.onvif.org/ver10/schema\">"
                "<e:Body><r:GetSystemDateAndTimeResponse xmlns:r=\"http://www.onvif.org/ver10/device/wsdl\">"
                "<r:SystemDateAndTime><t:UTCDateTime><t:Time><t:Hour>12</t:Hour><t:Minute>0</t:Minute>"
                "<t:Second>0</t:Second></t:Time><t:Date><t:Year>2030</t:Year><t:Month>1</t:Month><t:Day>2</"
                "t:Day>"
                "</t:Date></t:UTCDateTime></r:SystemDateAndTime></r:GetSystemDateAndTimeResponse></e:Body></"
                "e:Envelope>";
            const std::string reply =
                "HTTP/1.1 200 OK\r\nContent-Type: application/soap+xml\r\nContent-Length: " +
                std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
            ::send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
            ::close(client);
        }
    }

    int m_fd = -1;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

} // namespace

TEST(OnvifDiscoveryLab, FindsBothProbeTypesAndShowsTheReplyAddress) {
    ClockServer clock;
    Responder responder(clock.port);
    OnvifDiscovery source(CreateCurlTransport());
    SearchOptions options;
    options.timing.phaseMs = 400;
    std::atomic<int> reported{0};
    options.progress.v1Found = [&](std::vector<DeviceEntry> found) {
        reported += static_cast<int>(found.size());
    };

    const SearchResult result = source.Run(options, nullptr);
    EXPECT_EQ(reported.load(), 2);
    ASSERT_EQ(result.devices.size(), 2u); // the stranger's reply related to no probe of ours
    const DeviceEntry& camera = result.devices.at("urn:uuid:lab-cam");
    EXPECT_EQ(camera.ip, kLocal); // its XAddr was link-local
    EXPECT_EQ(camera.onvif.deviceServiceUrl, std::string("http://") + kLocal + "/onvif/device_service");
    EXPECT_FALSE(camera.onvif.clockKnown); // nothing listens on port 80

    const DeviceEntry& recorder = result.devices.at("urn:uuid:lab-nvr");
    EXPECT_EQ(recorder.onvifPort, clock.port);
    ASSERT_TRUE(recorder.onvif.clockKnown);
    EXPECT_EQ(recorder.deviceTime, "2030-01-02 12:00:00");
    // 2030-01-02T12:00:00Z is 1893585600.
    EXPECT_NEAR(static_cast<double>(recorder.onvif.clockOffsetSeconds),
                static_cast<double>(1893585600 - std::time(nullptr)), 60.0);
    EXPECT_EQ(clock.posts.load(), 1);
    EXPECT_EQ(clock.contentType.rfind("application/soap+xml; charset=utf-8", 0), 0u);
}

TEST(OnvifDiscoveryLab, HearsHelloAndBye) {
    std::mutex mutex;
    std::condition_variable signal;
    std::vector<DeviceEntry> hellos;
    std::vector<std::string> byes;
    WsDiscoveryListener listener({[&](DeviceEntry entry) {
                                      const std::lock_guard lock(mutex);
                                      hellos.push_back(std::move(entry));
                                      signal.notify_all();
                                  },
                                  [&](std::string endpoint) {
                                      const std::lock_guard lock(mutex);
                                      byes.push_back(std::move(endpoint));
                                      signal.notify_all();
                                  }});
    ASSERT_TRUE(listener.Start());

    const int sender = UdpSocket(0, false);
    sockaddr_in group{};
    group.sin_family = AF_INET;
    group.sin_port = htons(3702);
    ::inet_pton(AF_INET, "239.255.255.250", &group.sin_addr);
    const auto send = [&](const std::string& text) {
        ::sendto(sender, text.data(), text.size(), 0, reinterpret_cast<sockaddr*>(&group), sizeof group);
    };
    const std::string hello =
        Announcement(Device("Hello", "urn:uuid:late", "http://10.253.0.1:81/onvif/device_service"), "", 1);
    send(hello);
    send(hello); // repeated as the standard allows: heard once
    send(Announcement(Device("Bye", "urn:uuid:late", ""), "", 2));

    std::unique_lock lock(mutex);
    ASSERT_TRUE(signal.wait_for(lock, std::chrono::seconds(10), [&] { return !byes.empty(); }));
    ASSERT_EQ(hellos.size(), 1u);
    EXPECT_EQ(hellos[0].onvif.endpointReference, "urn:uuid:late");
    EXPECT_EQ(hellos[0].onvifPort, 81);
    // Heard on one of this computer's interfaces, as a search's reply is.
    EXPECT_FALSE(hellos[0].interfaceName.empty());
    EXPECT_FALSE(hellos[0].localAddress.empty());
    EXPECT_EQ(byes, std::vector<std::string>{"urn:uuid:late"});
    lock.unlock();
    listener.Stop();
    ::close(sender);
}
