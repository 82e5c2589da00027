// Number parsing and IPv4 text.
#include "util/tool.h"

#include <gtest/gtest.h>

TEST(ToolNumbers, ToIntParsesLeadingDigitsAndSaturates) {
    EXPECT_EQ(Tool::ToInt(""), 0);
    EXPECT_EQ(Tool::ToInt("abc"), 0);
    EXPECT_EQ(Tool::ToInt("  \t42xyz"), 42);
    EXPECT_EQ(Tool::ToInt("+7"), 7);
    EXPECT_EQ(Tool::ToInt("-0012"), -12);
    EXPECT_EQ(Tool::ToInt("- 5"), 0);
    EXPECT_EQ(Tool::ToInt("2147483647"), 2147483647);
    EXPECT_EQ(Tool::ToInt("2147483648"), 2147483647);
    EXPECT_EQ(Tool::ToInt("-2147483648"), INT32_MIN);
    EXPECT_EQ(Tool::ToInt("-2147483649"), INT32_MIN);
    EXPECT_EQ(Tool::ToInt("99999999999999999999999999"), INT32_MAX);
    EXPECT_EQ(Tool::ToInt("ff", 16), 255);
}

TEST(ToolNumbers, ToInt64IsTheSignExtended32BitResult) {
    EXPECT_EQ(Tool::ToInt64("-5"), -5);
    EXPECT_EQ(Tool::ToInt64("5000000000"), INT32_MAX);
    EXPECT_EQ(Tool::ToInt64("-5000000000"), INT32_MIN);
}

TEST(ToolNumbers, IpToHostOrder) {
    EXPECT_EQ(Tool::IpToHostOrder("192.168.1.10"), 0xC0A8010Au);
    EXPECT_EQ(Tool::IpToHostOrder("10.0.0.1"), 0x0A000001u);
    EXPECT_EQ(Tool::IpToHostOrder("255.255.255.255"), 0xFFFFFFFFu);
    EXPECT_EQ(Tool::IpToHostOrder("192.168.1.256"), 0xFFFFFFFFu);
    EXPECT_EQ(Tool::IpToHostOrder("not an address"), 0xFFFFFFFFu);
    EXPECT_EQ(Tool::IpToHostOrder(""), 0xFFFFFFFFu);
    EXPECT_EQ(Tool::IpToHostOrder(std::string_view("10.0.0.1\0junk", 13)), 0x0A000001u);
}

TEST(ToolNumbers, NaturalLessOrdersNumbersByValue) {
    EXPECT_TRUE(Tool::NaturalLess("V5.0.2", "V5.0.10"));
    EXPECT_FALSE(Tool::NaturalLess("V5.0.10", "V5.0.2"));
    EXPECT_TRUE(Tool::NaturalLess("V5.3.17 Build: 2026-10-23", "V5.10.1 Build: 2025-01-01"));
    EXPECT_TRUE(Tool::NaturalLess("V9", "V10"));
    // Longer than any integer type.
    EXPECT_TRUE(Tool::NaturalLess("V99999999999999999999999", "V100000000000000000000000"));
    // Text parts byte-wise; a prefix first; strict weak order on equal values.
    EXPECT_TRUE(Tool::NaturalLess("V5.0", "V5.0.1"));
    EXPECT_TRUE(Tool::NaturalLess("A1", "B0"));
    EXPECT_TRUE(Tool::NaturalLess("V05", "V5")); // same value: byte order decides
    EXPECT_FALSE(Tool::NaturalLess("V5", "V05"));
    EXPECT_FALSE(Tool::NaturalLess("V5.0.2", "V5.0.2"));
    EXPECT_TRUE(Tool::NaturalLess("", "0"));
    EXPECT_FALSE(Tool::NaturalLess("0", ""));
}
