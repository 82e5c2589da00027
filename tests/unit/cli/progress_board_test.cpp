// The upgrade progress a terminal shows: a line per device that never
// reaches the terminal's width, or one aggregate line.
#include "support/progress_board.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Addresses(int count) {
    std::vector<std::string> ips;
    for (int i = 1; i <= count; ++i) {
        ips.push_back("10.77.16." + std::to_string(i));
    }
    return ips;
}

} // namespace

TEST(ProgressBoard, OneLinePerUnfinishedDeviceCutBelowTheWidth) {
    ProgressBoard board("upgrading", Addresses(3));
    board.SetPercent("10.77.16.1", 50);
    board.SetPercent("10.77.16.2", 250); // clamped
    board.Finish("10.77.16.3", true);
    EXPECT_EQ(board.Render(80, 24),
              (std::vector<std::string>{"10.77.16.1       [##########          ] 50%",
                                        "10.77.16.2       [####################] 100%"}));
    for (const std::string& line : board.Render(20, 24)) {
        EXPECT_EQ(line.size(), 19u) << line;
    }
    board.Finish("10.77.16.1", false);
    board.Finish("10.77.16.2", true);
    EXPECT_TRUE(board.Render(80, 24).empty());
}

TEST(ProgressBoard, MoreDevicesThanLinesGiveOneAggregateLine) {
    ProgressBoard board("upgrading", Addresses(200));
    for (int i = 1; i <= 37; ++i) {
        board.Finish("10.77.16." + std::to_string(i), true);
    }
    board.Finish("10.77.16.38", false);
    board.Finish("10.77.16.39", false);
    EXPECT_EQ(board.Render(120, 40),
              (std::vector<std::string>{"upgrading 200 devices: 37 done, 2 failed, 161 running"}));
    EXPECT_EQ(board.Render(30, 40), (std::vector<std::string>{"upgrading 200 devices: 37 don"}));
    // A progress report after the end does not bring a device back.
    board.SetPercent("10.77.16.1", 10);
    EXPECT_EQ(board.Render(120, 40).front(), "upgrading 200 devices: 37 done, 2 failed, 161 running");
}
