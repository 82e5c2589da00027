// The search engine and the configuration sender against the simulator
// over real UDP sockets, on ports of the test's own inside the test's
// namespace; short phases, since the exact timing is tested elsewhere.
#include "discovery/config_sender.h"
#include "discovery/search_engine.h"
#include "discovery/search_worker.h"
#include "population.h"
#include "udp_server.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace {

constexpr uint16_t kDevicePort = 25000;
constexpr uint16_t kReplyPort = 25001;
constexpr uint16_t kSendPort = 25003;

class EngineWithSimulator : public ::testing::Test {
protected:
    void Start(Lab lab) {
        m_responder = std::make_unique<UdpResponder>(std::move(lab));
        UdpServerOptions options;
        options.listenPort = kDevicePort;
        options.replyTo = {net::kLoopbackAddress, kReplyPort};
        m_server = std::make_unique<UdpServer>(*m_responder, options);
        ASSERT_TRUE(m_server->Open());
        m_thread = std::thread([this] { m_server->Run(m_stop); });
    }
    void TearDown() override {
        m_stop = true;
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }
    static DiscoveryEndpoints Endpoints() {
        DiscoveryEndpoints endpoints;
        endpoints.destination = {net::kLoopbackAddress, kDevicePort};
        endpoints.sendPort = kSendPort;
        endpoints.receivePort = kReplyPort;
        return endpoints;
    }
    static SearchOptions Search() {
        SearchOptions options;
        options.endpoints = Endpoints();
        options.timing.phaseMs = 400;
        options.timing.resendMs = 100;
        options.customerCodes = "C0000";
        return options;
    }

    std::unique_ptr<UdpResponder> m_responder;
    std::unique_ptr<UdpServer> m_server;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

TEST_F(EngineWithSimulator, FindsAPopulationAndChangesADevice) {
    Lab lab = GeneratePopulation(60, 11);
    for (SimDevice& device : lab.devices) {
        device.faults.jitterMs = 20;
    }
    Start(lab);
    SearchWorker worker;
    SearchResult found;
    ASSERT_TRUE(worker.Start(Search(), [&found](SearchResult result) { found = std::move(result); }));
    EXPECT_FALSE(worker.Start(Search(), [](SearchResult) {})); // one search at a time
    worker.Wait();
    ASSERT_EQ(found.setUpResult, 1);
    ASSERT_EQ(found.devices.size(), 60u);
    for (const SimDevice& device : lab.devices) {
        const auto it = found.devices.find(MacToText(device.fields.mac));
        ASSERT_NE(it, found.devices.end());
        EXPECT_EQ(it->second.ip, net::AddressToText(device.fields.ip));
        EXPECT_EQ(it->second.cloudId, device.texts.cloudId);
        EXPECT_EQ(it->second.model, device.texts.model);
    }

    // Change one CFG.V3 device and one CFG.V2 device, then search again.
    const SimDevice* v3 = nullptr;
    const SimDevice* v2 = nullptr;
    for (const SimDevice& device : lab.devices) {
        ((device.fields.capabilities & 0x08) != 0 ? v3 : v2) = &device;
    }
    ASSERT_TRUE(v3 && v2);
    ConfigSenderOptions config;
    config.endpoints = Endpoints();
    DeviceEntry change = found.devices.at(MacToText(v3->fields.mac));
    change.ip = "10.77.30.3";
    change.dns1 = "10.77.0.9";
    EXPECT_EQ(SendNetworkConfig(change, "wrong", config), -1);
    EXPECT_EQ(SendNetworkConfig(change, v3->adminPassword, config), 1);
    DeviceEntry changeV2 = found.devices.at(MacToText(v2->fields.mac));
    changeV2.ip = "10.77.30.2";
    EXPECT_EQ(SendNetworkConfig(changeV2, {}, config), 1);

    const SearchResult again = RunSearch(Search());
    ASSERT_EQ(again.devices.size(), 60u);
    EXPECT_EQ(again.devices.at(change.mac).ip, "10.77.30.3");
    EXPECT_EQ(again.devices.at(change.mac).dns1, "10.77.0.9");
    EXPECT_EQ(again.devices.at(changeV2.mac).ip, "10.77.30.2");
}

TEST_F(EngineWithSimulator, TakenReplyPortGivesMinus6) {
    auto holder = net::CreateUdpSocket();
    ASSERT_TRUE(holder->Bind({net::kAnyAddress, kReplyPort}));
    const SearchResult result = RunSearch(Search());
    EXPECT_EQ(result.setUpResult, -6);
    EXPECT_TRUE(result.devices.empty());
}

} // namespace
