// The machine's interfaces and the choice of those a search leaves by; a
// limited broadcast sent out of one interface and heard with the interface
// it came in on. Runs in the test namespace (tests/netns-run), whose veth
// end carries 10.253.0.1/24: nothing is sent when that interface is absent.
#include "net/interfaces.h"
#include "net/udp_socket.h"

#include <algorithm>
#include <array>
#include <gtest/gtest.h>

namespace {

constexpr uint32_t kLabAddress = 0x0AFD0001; // 10.253.0.1

TEST(Interfaces, ChoiceKeepsNamedBroadcastInterfacesOnceEach) {
    const std::vector<net::InterfaceAddress> all{
        {"eth0", 2, 0x0A000005, 0xFFFFFF00, true, true},
        {"eth0", 2, 0x0A010005, 0xFFFF0000, true, true}, // a second address
        {"wlan0", 3, 0xC0A80109, 0xFFFFFF00, true, true},
        {"tun0", 4, 0x0A080001, 0xFFFFFFFF, false, false},
        {"usb0", 5, 0xAC100001, 0xFFFF0000, true, true},
    };
    const auto names = [](const std::vector<net::InterfaceAddress>& list) {
        std::vector<std::string> out;
        for (const net::InterfaceAddress& item : list) {
            out.push_back(item.name + "/" + net::AddressToText(item.address));
        }
        return out;
    };
    EXPECT_EQ(names(net::BroadcastInterfaces(all)),
              (std::vector<std::string>{"eth0/10.0.0.5", "wlan0/192.168.1.9", "usb0/172.16.0.1"}));
    const auto chosen = net::ChosenInterfaces(all, net::ParseInterfaceList(" tun0 ,eth0,, eth0 "));
    EXPECT_EQ(names(chosen), (std::vector<std::string>{"eth0/10.0.0.5", "eth0/10.1.0.5", "tun0/10.8.0.1"}));
    EXPECT_EQ(names(net::BroadcastInterfaces(chosen)), (std::vector<std::string>{"eth0/10.0.0.5"}));
    EXPECT_EQ(net::ChosenInterfaces(all, {}).size(), all.size());
    EXPECT_EQ(net::InterfaceNames(all), (std::vector<std::string>{"eth0", "wlan0", "tun0", "usb0"}));
}

TEST(Interfaces, BroadcastLeavesTheChosenInterfaceAndSaysWhereItCameIn) {
    const std::vector<net::InterfaceAddress> local = net::LocalInterfaces();
    EXPECT_TRUE(std::none_of(local.begin(), local.end(),
                             [](const net::InterfaceAddress& item) { return item.name == "lo"; }));
    const auto lab = std::find_if(local.begin(), local.end(), [](const net::InterfaceAddress& item) {
        return item.address == kLabAddress;
    });
    if (lab == local.end()) {
        GTEST_SKIP() << "not inside the test namespace";
    }
    EXPECT_TRUE(lab->broadcast);
    EXPECT_EQ(lab->mask, 0xFFFFFF00u);
    EXPECT_EQ(net::InterfaceNameOf(lab->index), lab->name);

    auto receiver = net::CreateUdpSocket();
    ASSERT_TRUE(receiver->Bind({net::kAnyAddress, 0}));
    ASSERT_TRUE(receiver->EnableReceivedOn());
    auto sender = net::CreateUdpSocket();
    ASSERT_TRUE(sender->SetBroadcast());
    const std::array<uint8_t, 3> payload{7, 8, 9};
    ASSERT_TRUE(
        sender->SendVia(payload, {net::kBroadcastAddress, receiver->LocalPort()}, lab->index, lab->address));
    ASSERT_TRUE(receiver->WaitReadable(1000));
    std::array<uint8_t, 16> buffer{};
    net::Ipv4Endpoint from;
    net::ReceivedOn on;
    ASSERT_EQ(receiver->ReceiveWithInfo(buffer, &from, &on), 3);
    EXPECT_EQ(from.address, kLabAddress);
    EXPECT_EQ(on.interfaceIndex, lab->index);
    EXPECT_EQ(on.localAddress, kLabAddress);
}

} // namespace
