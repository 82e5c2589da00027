// The search's progress line: its text, and that it is erased at the end.
#include "support/search_progress.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>

TEST(SearchProgress, TextCountsAndFitsTheTerminal) {
    EXPECT_EQ(SearchProgressText(3, 12, 80), "corvane-cli: searching, 3 s, 12 devices found");
    EXPECT_EQ(SearchProgressText(0, 1, 80), "corvane-cli: searching, 0 s, 1 device found");
    EXPECT_EQ(SearchProgressText(3, 12, 20), "corvane-cli: search");
    EXPECT_EQ(SearchProgressText(3, 12, 0), "");
}

TEST(SearchProgress, DrawsInPlaceAndLeavesACleanLine) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    {
        SearchProgressLine line(file, 80);
        line.Found(2);
        line.Found(3);
        line.Finish();
        line.Finish(); // once
    }
    std::rewind(file);
    std::string written(4096, '\0');
    written.resize(std::fread(written.data(), 1, written.size(), file));
    std::fclose(file);
    ASSERT_GE(written.size(), 4u);
    // Every drawing starts at the line's start; no line feed ever; erased last.
    EXPECT_EQ(written.front(), '\r');
    EXPECT_EQ(written.find('\n'), std::string::npos);
    EXPECT_EQ(written.substr(written.size() - 4), "\r\033[K");

    // No terminal: nothing at all.
    std::FILE* quiet = std::tmpfile();
    ASSERT_NE(quiet, nullptr);
    {
        SearchProgressLine line(quiet, 0);
        line.Found(1);
    }
    EXPECT_EQ(std::ftell(quiet), 0);
    std::fclose(quiet);
}
