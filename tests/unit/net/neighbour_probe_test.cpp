#include "net/neighbour_probe.h"

#include <gtest/gtest.h>

namespace {

TEST(NeighbourProbe, KeepsOnlyCompleteEntriesOfTheInterface) {
    const char* table = "IP address       HW type     Flags       HW address            Mask     Device\n"
                        "10.77.64.5       0x1         0x2         02:11:22:33:44:55     *        vp1\n"
                        "10.77.64.6       0x1         0x0         00:00:00:00:00:00     *        vp1\n"
                        "10.77.64.7       0x1         0x6         02:11:22:33:44:56     *        vp1\n"
                        "10.77.64.8       0x1         0x2         02:11:22:33:44:57     *        wlan0\n"
                        "10.77.64.999     0x1         0x2         02:11:22:33:44:58     *        vp1\n"
                        "10.77.64.9       0x1         zz\n"
                        "garbage\n";
    EXPECT_EQ(net::CompleteNeighbours(table, "vp1"), (std::set<uint32_t>{0x0A4D4005, 0x0A4D4007}));
    EXPECT_EQ(net::CompleteNeighbours(table, ""), (std::set<uint32_t>{0x0A4D4005, 0x0A4D4007, 0x0A4D4008}));
    // The heading alone, or nothing.
    EXPECT_TRUE(net::CompleteNeighbours(table, "eth9").empty());
    EXPECT_TRUE(net::CompleteNeighbours("", "").empty());
}

} // namespace
