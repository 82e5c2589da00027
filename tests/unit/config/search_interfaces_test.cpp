// The rows of the interface choice and the names kept from them.
#include "config/search_interfaces.h"

#include <gtest/gtest.h>

namespace {

net::InterfaceAddress Address(const char* name, uint32_t address, uint32_t mask, bool broadcast = true) {
    net::InterfaceAddress entry;
    entry.name = name;
    entry.address = address;
    entry.mask = mask;
    entry.broadcast = broadcast;
    return entry;
}

std::vector<std::string> Names(const std::vector<SearchInterfaceRow>& rows) {
    std::vector<std::string> names;
    for (const SearchInterfaceRow& row : rows) {
        names.push_back(row.name);
    }
    return names;
}

const std::vector<net::InterfaceAddress> kLocal = {
    Address("eth0", 0xC0A8010A, 0xFFFFFF00),        // 192.168.1.10/24
    Address("tun0", 0x0A080001, 0xFFFF0000, false), // no broadcasts: not offered
    Address("wlan0", 0x0A000005, 0xFF000000),       // 10.0.0.5/8
    Address("eth0", 0xAC100001, 0xFFF00000),        // second address of eth0
};

} // namespace

TEST(SearchInterfaceRows, ListsEachBroadcastInterfaceOnceWithEveryAddress) {
    const auto rows = SearchInterfaceRows(kLocal, {});
    ASSERT_EQ(Names(rows), (std::vector<std::string>{"eth0", "wlan0"}));
    EXPECT_EQ(rows[0].addresses, "192.168.1.10/24, 172.16.0.1/12");
    EXPECT_EQ(rows[1].addresses, "10.0.0.5/8");
    EXPECT_TRUE(rows[0].present && rows[0].chosen && rows[1].chosen);
    // Every row chosen is stored as every interface.
    EXPECT_TRUE(ChosenInterfaceNames(rows).empty());
}

TEST(SearchInterfaceRows, KeepsChosenInterfacesThatAreAway) {
    auto rows = SearchInterfaceRows(kLocal, {"usb0", "wlan0"});
    ASSERT_EQ(Names(rows), (std::vector<std::string>{"eth0", "wlan0", "usb0"}));
    EXPECT_FALSE(rows[0].chosen);
    EXPECT_TRUE(rows[1].chosen);
    EXPECT_FALSE(rows[2].present);
    EXPECT_TRUE(rows[2].chosen);
    EXPECT_TRUE(rows[2].addresses.empty());
    EXPECT_EQ(ChosenInterfaceNames(rows), (std::vector<std::string>{"wlan0", "usb0"}));

    // Unticking the absent one forgets it; none ticked means every interface.
    rows[2].chosen = false;
    EXPECT_EQ(ChosenInterfaceNames(rows), (std::vector<std::string>{"wlan0"}));
    rows[1].chosen = false;
    EXPECT_TRUE(ChosenInterfaceNames(rows).empty());
}
