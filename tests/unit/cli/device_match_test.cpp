// Choosing devices by --match patterns and --macs-from lists.
#include "support/device_match.h"

#include <gtest/gtest.h>

TEST(DeviceMatch, StarPatternsMatchAddressesMacsAndModels) {
    EXPECT_TRUE(GlobMatch("10.77.16.1*", "10.77.16.1"));
    EXPECT_TRUE(GlobMatch("10.77.16.1*", "10.77.16.19"));
    EXPECT_FALSE(GlobMatch("10.77.16.1*", "10.77.16.2"));
    EXPECT_TRUE(GlobMatch("*.5", "10.77.16.5"));
    EXPECT_FALSE(GlobMatch("*.5", "10.77.16.15"));
    EXPECT_TRUE(GlobMatch("a*b*c", "aXXbYYbc"));
    EXPECT_TRUE(GlobMatch("*", ""));
    EXPECT_FALSE(GlobMatch("", "x"));

    // Any spelling of a MAC address, in any case; models without case.
    EXPECT_TRUE(MatchesDevice("02:c0:00:00:10:*", "10.0.0.1", "02-C0-00-00-10-01", "IPC"));
    EXPECT_TRUE(MatchesDevice("02C0*", "10.0.0.1", "02-C0-00-00-10-01", "IPC"));
    EXPECT_TRUE(MatchesDevice("ipc-*", "10.0.0.1", "02-C0-00-00-10-01", "IPC-LAB"));
    EXPECT_FALSE(MatchesDevice("NVR*", "10.0.0.1", "02-C0-00-00-10-01", "IPC-LAB"));
}

TEST(DeviceMatch, MacListsSkipCommentsAndNameTheBadLine) {
    std::vector<std::string> macs;
    std::string error;
    ASSERT_TRUE(
        ParseMacList("# site A\n02-C0-00-00-10-01\r\n\n  02:c0:00:00:10:02  \n02c000001003", macs, error));
    EXPECT_EQ(macs, (std::vector<std::string>{"02-C0-00-00-10-01", "02:c0:00:00:10:02", "02c000001003"}));
    EXPECT_EQ(MacKey(macs[1]), "02C000001002");

    macs.clear();
    EXPECT_FALSE(ParseMacList("02-C0-00-00-10-01\n10.77.16.1\n", macs, error));
    EXPECT_EQ(error, "line 2: \"10.77.16.1\" is not a MAC address");
    EXPECT_FALSE(ParseMacList("02-C0-00-00-10-0G\n", macs, error));
    EXPECT_FALSE(ParseMacList("02-C0-00-00-10-01-02\n", macs, error));
}
