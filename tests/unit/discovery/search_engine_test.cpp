// The search engine on a scripted network: socket set-up codes, the exact
// timing of both phases, their receive tests, the merge and the filter.
#include "discovery/search_engine.h"
#include "discovery/search_worker.h"
#include "fake_network.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace {

DiscoveryFields Fields(uint8_t last) {
    DiscoveryFields f;
    f.mac = {0x02, 0, 0, 0, 0, last};
    f.ip = 0x0A000000u | last;
    f.mask = 0xFFFFFF00;
    f.gateway = 0x0A000001;
    f.tcpPort = 34567;
    f.webPort = 80;
    return f;
}

class SearchEngineTest : public ::testing::Test {
protected:
    SearchOptions Options() {
        SearchOptions options;
        options.socketFactory = m_net.Factory();
        options.clock = &m_net;
        options.localInterfaces = [] { return std::vector<net::InterfaceAddress>{}; };
        return options;
    }
    FakeNetwork m_net;
};

TEST_F(SearchEngineTest, SetUpCodesCloseEverySocketOnFailure) {
    const std::pair<FailStep, int> steps[] = {{FailStep::CreateSend, -1},    {FailStep::Reuse, -2},
                                              {FailStep::Broadcast, -3},     {FailStep::BindSend, -4},
                                              {FailStep::CreateReceive, -5}, {FailStep::BindReceive, -6},
                                              {FailStep::NonBlocking, -7}};
    for (const auto& [step, code] : steps) {
        FakeNetwork net;
        net.failAt = step;
        SocketPair pair(net.Factory());
        EXPECT_EQ(pair.SetUpSockets({}), code);
        EXPECT_EQ(net.open, 0) << "code " << code;
    }
    SocketPair pair(m_net.Factory());
    EXPECT_EQ(pair.SetUpSockets({}), 1);
    EXPECT_EQ(m_net.open, 2);
    EXPECT_EQ(m_net.boundPorts, (std::vector<uint16_t>{5003, 5001}));
    // Setting up again closes the old pair first.
    EXPECT_EQ(pair.SetUpSockets({}), 1);
    EXPECT_EQ(m_net.open, 2);
    pair.Close();
    EXPECT_EQ(m_net.open, 0);
}

TEST_F(SearchEngineTest, FailedSetUpGivesItsCodeAndNoDevices) {
    m_net.failAt = FailStep::BindReceive;
    const SearchResult result = RunSearch(Options());
    EXPECT_EQ(result.setUpResult, -6);
    EXPECT_TRUE(result.devices.empty());
    EXPECT_TRUE(m_net.sent.empty());
}

TEST_F(SearchEngineTest, EachPhaseSendsSixRequestsOver3000Ms) {
    const int64_t start = m_net.now;
    const SearchResult result = RunSearch(Options());
    EXPECT_EQ(result.setUpResult, 1);
    EXPECT_EQ(m_net.open, 0); // both closed at the end
    ASSERT_EQ(m_net.sent.size(), 12u);
    // Idle V1: a 50 ms pause after each empty receive, so resends fall on
    // the first poll more than 500 ms after the last send.
    const int64_t expected[] = {0, 550, 1100, 1650, 2200, 2750};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(m_net.sent[i].at - start, expected[i]) << i;
        EXPECT_EQ(std::string(m_net.sent[i].bytes.begin(), m_net.sent[i].bytes.end()), "TREMIL.SEARCH.V1");
        EXPECT_EQ(m_net.sent[i].to, (net::Ipv4Endpoint{0xFFFFFFFF, 5000}));
    }
    const int64_t v3Start = m_net.sent[6].at;
    EXPECT_EQ(v3Start - start, 3000);
    for (int i = 6; i < 12; ++i) {
        EXPECT_EQ(std::string(m_net.sent[i].bytes.begin(), m_net.sent[i].bytes.end()), "TREMIL.SEARCH.V3");
        // Without pauses the resend comes as soon as more than 500 ms passed.
        EXPECT_EQ(m_net.sent[i].at - v3Start, (i - 6) * 501) << i;
    }
    EXPECT_GE(m_net.now - v3Start, 3000);
}

TEST_F(SearchEngineTest, V1ReceiveTestPausesOnlyAfterWrongLength) {
    const int64_t t = m_net.now;
    Datagram shortReply = BuildV1Reply(Fields(1));
    shortReply.pop_back();
    Datagram wrongMagic = BuildV1Reply(Fields(2));
    wrongMagic[15] = '3'; // "TREMIL.SEARCH.V3" on a 152-byte datagram
    Datagram lower = BuildV1Reply(Fields(3));
    for (int i = 0; i < 16; ++i) {
        lower[i] = static_cast<uint8_t>(std::tolower(lower[i]));
    }
    DiscoveryFields changed = Fields(4);
    Datagram first = BuildV1Reply(changed);
    changed.ip = 0x0B0B0B0B;
    Datagram second = BuildV1Reply(changed);
    m_net.Deliver(t, shortReply);
    m_net.Deliver(t, wrongMagic);
    m_net.Deliver(t, lower);
    m_net.Deliver(t, first);
    m_net.Deliver(t, second);

    DeviceTable devices;
    SocketPair sockets(m_net.Factory());
    ASSERT_EQ(sockets.SetUpSockets({}), 1);
    EXPECT_EQ(RunV1Phase(sockets, {}, m_net, devices), 1);
    // Receive log: 151 bytes at t, then 50 ms later the rest without pauses.
    ASSERT_GE(m_net.receiveLog.size(), 5u);
    EXPECT_EQ(m_net.receiveLog[0], (std::pair<int64_t, int>{t, 151}));
    EXPECT_EQ(m_net.receiveLog[1], (std::pair<int64_t, int>{t + 50, 152}));
    EXPECT_EQ(m_net.receiveLog[2], (std::pair<int64_t, int>{t + 50, 152}));
    EXPECT_EQ(m_net.receiveLog[3], (std::pair<int64_t, int>{t + 50, 152}));
    EXPECT_EQ(m_net.receiveLog[4], (std::pair<int64_t, int>{t + 50, 152}));
    // Kept: the lower-case reply and the first of the two for the same MAC.
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices.count("02-00-00-00-00-03"), 1u);
    EXPECT_EQ(devices.at("02-00-00-00-00-04").ip, "10.0.0.4");
}

TEST_F(SearchEngineTest, V3ExpectedLengthIsSetByTheFirstProperReply) {
    const int64_t t = m_net.now;
    const DiscoveryTexts texts{"IPC", "c", "v", "d", "r", "s", "m", ""};
    Datagram early = BuildV3Reply(Fields(1), texts);
    early[16] = 0; // before any proper reply: expected length still 0
    Datagram proper = BuildV3Reply(Fields(2), texts);
    Datagram late = BuildV3Reply(Fields(3), texts);
    late[16] = 7;
    late[17] = 7;
    Datagram shortProper(proper.begin(), proper.end() - 1);
    m_net.Deliver(t, early);
    m_net.Deliver(t + 100, proper);
    m_net.Deliver(t + 100, late);
    m_net.Deliver(t + 100, BuildV1Reply(Fields(9))); // no V3 magic: dropped without a pause
    m_net.Deliver(t + 100, shortProper);

    SupplementTable supplement;
    SocketPair sockets(m_net.Factory());
    ASSERT_EQ(sockets.SetUpSockets({}), 1);
    EXPECT_EQ(RunV3Phase(sockets, {}, m_net, supplement), 1);
    EXPECT_EQ(supplement.count("02-00-00-00-00-01"), 0u);
    EXPECT_EQ(supplement.count("02-00-00-00-00-02"), 1u);
    EXPECT_EQ(supplement.count("02-00-00-00-00-03"), 1u);
    EXPECT_EQ(supplement.size(), 2u);
    EXPECT_EQ(supplement.at("02-00-00-00-00-02").model, "m");
    // early at t (pause), proper, late, V1 reply at t+100 with no pause
    // between them, then the short one, and 50 ms after it the next poll.
    ASSERT_GE(m_net.receiveLog.size(), 7u);
    EXPECT_EQ(m_net.receiveLog[0], (std::pair<int64_t, int>{t, 576}));
    EXPECT_EQ(m_net.receiveLog[1].second, -1);
    std::size_t i = 1;
    while (m_net.receiveLog[i].second == -1) {
        ++i;
    }
    EXPECT_EQ(m_net.receiveLog[i], (std::pair<int64_t, int>{t + 100, 576}));
    EXPECT_EQ(m_net.receiveLog[i + 1], (std::pair<int64_t, int>{t + 100, 576}));
    EXPECT_EQ(m_net.receiveLog[i + 2], (std::pair<int64_t, int>{t + 100, 152}));
    EXPECT_EQ(m_net.receiveLog[i + 3], (std::pair<int64_t, int>{t + 100, 575}));
    EXPECT_EQ(m_net.receiveLog[i + 4].first, t + 150);
}

TEST_F(SearchEngineTest, FullSearchMergesFiltersAndDropsV3OnlyDevices) {
    m_net.onSend = [this](const Datagram& request) {
        const auto version = ParseSearchRequest(request);
        if (version == SearchVersion::V1) {
            m_net.Deliver(m_net.now + 5, BuildV1Reply(Fields(1)));
            m_net.Deliver(m_net.now + 5, BuildV1Reply(Fields(2)));
            m_net.Deliver(m_net.now + 5, BuildV1Reply(Fields(4)));
        } else if (version == SearchVersion::V3) {
            m_net.Deliver(m_net.now + 5,
                          BuildV3Reply(Fields(1), {"IPC", "c1", "v1", "d1", "r1", "s1", "", "C1234"}));
            m_net.Deliver(m_net.now + 5, BuildV3Reply(Fields(3), {"NVR", "c3", "v3", "", "", "", "m3", ""}));
            m_net.Deliver(m_net.now + 5, BuildV3Reply(Fields(4), {"DVR", "", "", "", "", "", "m4", "C7777"}));
        }
    };
    SearchOptions options = Options();
    options.customerCodes = "C1234";
    // While the search runs, each device is reported once, at the first
    // reply; the first one alone, at the receive that brings it (after the
    // 50 ms pause that follows the empty first poll).
    std::vector<std::pair<int64_t, std::vector<std::string>>> v1Batches;
    std::vector<std::string> v3Macs;
    const int64_t start = m_net.now;
    options.progress.v1Found = [&](std::vector<DeviceEntry> entries) {
        v1Batches.emplace_back(m_net.now - start, std::vector<std::string>{});
        for (const DeviceEntry& entry : entries) {
            v1Batches.back().second.push_back(entry.mac);
        }
    };
    options.progress.v3Found = [&](std::vector<DeviceEntry> entries) {
        for (const DeviceEntry& entry : entries) {
            v3Macs.push_back(entry.mac);
        }
    };
    const SearchResult result = RunSearch(options);
    ASSERT_EQ(v1Batches.size(), 2u);
    EXPECT_EQ(v1Batches[0], (std::pair<int64_t, std::vector<std::string>>{50, {"02-00-00-00-00-01"}}));
    EXPECT_EQ(v1Batches[1].second, (std::vector<std::string>{"02-00-00-00-00-02", "02-00-00-00-00-04"}));
    EXPECT_EQ(v3Macs,
              (std::vector<std::string>{"02-00-00-00-00-01", "02-00-00-00-00-03", "02-00-00-00-00-04"}));
    ASSERT_EQ(result.setUpResult, 1);
    ASSERT_EQ(result.devices.size(), 2u); // 3 answered V3 only, 4 belongs to another customer
    const DeviceEntry& one = result.devices.at("02-00-00-00-00-01");
    EXPECT_EQ(one.type, "IPC");
    EXPECT_EQ(one.model, "-- --");
    EXPECT_EQ(one.customerCode, "C1234");
    EXPECT_EQ(one.ip, "10.0.0.1");
    const DeviceEntry& two = result.devices.at("02-00-00-00-00-02");
    EXPECT_EQ(two.type, "-- --");
    EXPECT_EQ(two.customerCode, "");
}

TEST_F(SearchEngineTest, RequestsLeaveEachChosenInterfaceAndRecordsNameWhereRepliesCameIn) {
    SearchOptions options = Options();
    options.localInterfaces = [] {
        return std::vector<net::InterfaceAddress>{{"eth0", 2, 0x0A000005, 0xFFFFFF00, true, true},
                                                  {"tun0", 4, 0x0A080001, 0xFFFFFFFF, false, false},
                                                  {"wlan0", 3, 0xC0A80109, 0xFFFFFF00, true, true},
                                                  {"usb0", 5, 0xAC100001, 0xFFFF0000, true, true}};
    };
    options.interfaceNames = {"wlan0", "eth0", "tun0"};
    bool answered = false;
    m_net.onSend = [&](const Datagram& request) {
        if (ParseSearchRequest(request) != SearchVersion::V1 || answered) {
            return;
        }
        answered = true;
        m_net.Deliver(m_net.now + 5, BuildV1Reply(Fields(1)), {3, 0xC0A80109});
        m_net.Deliver(m_net.now + 6, BuildV1Reply(Fields(2)), {5, 0xAC100001}); // heard on any interface
        DiscoveryFields moved = Fields(1);
        moved.ip = 0x0A0000F1;
        m_net.Deliver(m_net.now + 7, BuildV1Reply(moved), {2, 0x0A000005});
        m_net.Deliver(m_net.now + 8, BuildV1Reply(moved), {3, 0xC0A80109});
        m_net.Deliver(m_net.now + 9, BuildV1Reply(Fields(1)), {2, 0x0A000005});
    };
    const SearchResult result = RunSearch(options);
    // Each request once out of each chosen broadcast interface, at the same
    // moments as a search out of one.
    ASSERT_EQ(m_net.sent.size(), 24u);
    for (std::size_t i = 0; i < m_net.sent.size(); i += 2) {
        EXPECT_EQ(m_net.sent[i].via, 2u);
        EXPECT_EQ(m_net.sent[i + 1].via, 3u);
        EXPECT_EQ(m_net.sent[i].at, m_net.sent[i + 1].at);
        EXPECT_EQ(m_net.sent[i].bytes, m_net.sent[i + 1].bytes);
        EXPECT_EQ(m_net.sent[i].to, (net::Ipv4Endpoint{0xFFFFFFFF, 5000}));
    }
    const DeviceEntry& one = result.devices.at("02-00-00-00-00-01");
    EXPECT_EQ(one.ip, "10.0.0.1"); // the first reply's
    EXPECT_EQ(one.interfaceName, "wlan0");
    EXPECT_EQ(one.localAddress, "192.168.1.9");
    EXPECT_EQ(one.otherAddresses, (std::vector<std::string>{"10.0.0.241"}));
    EXPECT_EQ(result.devices.at("02-00-00-00-00-02").interfaceName, "usb0");
}

TEST_F(SearchEngineTest, SendFailureEndsThePhaseQuietly) {
    m_net.failSendsAfter = 2; // the first V1 request and one resend
    m_net.onSend = [this](const Datagram&) { m_net.Deliver(m_net.now + 1, BuildV1Reply(Fields(5))); };
    const int64_t start = m_net.now;
    const SearchResult result = RunSearch(Options());
    EXPECT_EQ(result.setUpResult, 1);
    EXPECT_EQ(result.devices.size(), 1u);
    // V1 ended at its failed second resend; V3 could not send at all.
    EXPECT_LT(m_net.now - start, 1200);

    FakeNetwork net;
    net.failSends = true;
    SocketPair sockets(net.Factory());
    ASSERT_EQ(sockets.SetUpSockets({}), 1);
    DeviceTable devices;
    EXPECT_EQ(RunV1Phase(sockets, {}, net, devices), kSendFailed);
}

TEST_F(SearchEngineTest, WorkerPublishesOnItsOwnThread) {
    m_net.onSend = [this](const Datagram& request) {
        if (ParseSearchRequest(request) == SearchVersion::V1) {
            m_net.Deliver(m_net.now, BuildV1Reply(Fields(6)));
        }
    };
    SearchWorker worker;
    std::atomic<int> calls{0};
    std::thread::id publisher;
    SearchResult published;
    ASSERT_TRUE(worker.Start(Options(), [&](SearchResult result) {
        publisher = std::this_thread::get_id();
        published = std::move(result);
        ++calls;
    }));
    worker.Wait();
    EXPECT_FALSE(worker.IsSearching());
    EXPECT_EQ(calls.load(), 1);
    EXPECT_NE(publisher, std::this_thread::get_id());
    EXPECT_EQ(published.devices.size(), 1u);
}

} // namespace
