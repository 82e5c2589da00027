// The platform UDP socket on loopback ports of the test's own choosing
// (port 0: the system picks a free one).
#include "net/udp_socket.h"

#include <array>
#include <gtest/gtest.h>
#include <vector>

namespace {

std::unique_ptr<net::DatagramSocket> Bound(uint16_t port = 0, bool reuse = false) {
    auto socket = net::CreateUdpSocket();
    EXPECT_TRUE(socket);
    if (reuse) {
        EXPECT_TRUE(socket->SetReuseAddress());
    }
    EXPECT_TRUE(socket->Bind({net::kLoopbackAddress, port}));
    return socket;
}

TEST(UdpSocket, SendsAndReceivesWithoutBlocking) {
    auto receiver = Bound();
    ASSERT_TRUE(receiver->SetNonBlocking());
    const uint16_t port = receiver->LocalPort();
    ASSERT_NE(port, 0);
    std::array<uint8_t, 64> buffer{};
    EXPECT_EQ(receiver->ReceiveFrom(buffer, nullptr), -1); // nothing waiting

    auto sender = Bound();
    const std::vector<uint8_t> payload{1, 2, 3, 4, 5};
    ASSERT_TRUE(sender->SendTo(payload, {net::kLoopbackAddress, port}));
    ASSERT_TRUE(receiver->WaitReadable(1000));
    net::Ipv4Endpoint from;
    ASSERT_EQ(receiver->ReceiveFrom(buffer, &from), 5);
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 5), payload);
    EXPECT_EQ(from.address, net::kLoopbackAddress);
    EXPECT_EQ(from.port, sender->LocalPort());
    EXPECT_FALSE(receiver->WaitReadable(20));
}

TEST(UdpSocket, LongerDatagramIsCutToTheBuffer) {
    auto receiver = Bound();
    auto sender = Bound();
    const std::vector<uint8_t> payload(1500, 0xAB);
    ASSERT_TRUE(sender->SendTo(payload, {net::kLoopbackAddress, receiver->LocalPort()}));
    std::array<uint8_t, 1024> buffer{};
    ASSERT_TRUE(receiver->WaitReadable(1000));
    EXPECT_EQ(receiver->ReceiveFrom(buffer, nullptr), 1024);
}

TEST(UdpSocket, ATakenPortCannotBeBoundWithoutReuse) {
    auto holder = Bound();
    auto second = net::CreateUdpSocket();
    ASSERT_TRUE(second);
    EXPECT_FALSE(second->Bind({net::kAnyAddress, holder->LocalPort()}));
}

TEST(UdpSocket, BroadcastReachesALocalListener) {
    // Runs inside the test wrapper's namespace: the limited broadcast loops
    // back to the namespace's own sockets and goes nowhere else.
    auto receiver = net::CreateUdpSocket();
    ASSERT_TRUE(receiver->Bind({net::kAnyAddress, 0}));
    auto sender = net::CreateUdpSocket();
    ASSERT_TRUE(sender->SetBroadcast());
    const std::vector<uint8_t> payload{'h', 'i'};
    ASSERT_TRUE(sender->SendTo(payload, {net::kBroadcastAddress, receiver->LocalPort()}));
    std::array<uint8_t, 16> buffer{};
    ASSERT_TRUE(receiver->WaitReadable(1000));
    EXPECT_EQ(receiver->ReceiveFrom(buffer, nullptr), 2);
}

TEST(AddressText, DottedDecimal) {
    EXPECT_EQ(net::AddressToText(0xC0A80101), "192.168.1.1");
    EXPECT_EQ(net::AddressToText(0), "0.0.0.0");
    EXPECT_EQ(net::AddressToText(0xFFFFFFFF), "255.255.255.255");
}

} // namespace
