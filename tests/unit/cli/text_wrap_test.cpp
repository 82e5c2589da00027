// Help text wrapped to a terminal's width.
#include "support/text_format.h"

#include <gtest/gtest.h>
#include <iterator>
#include <sstream>

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

} // namespace

TEST(WrapText, BreaksAtSpacesUnderTheDescription) {
    const std::string help =
        "  --password TEXT             Password. Visible to every user of this machine in "
        "the process list: prefer --password-file";
    const auto lines = Lines(WrapText(help, 80));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "  --password TEXT             Password. Visible to every user of this machine in");
    EXPECT_EQ(lines[1], "                              the process list: prefer --password-file");
    for (const std::string& line : Lines(WrapText(help, 40))) {
        EXPECT_LE(line.size(), 40u) << line;
    }
}

TEST(WrapText, KeepsShortLinesWordsAndLineBreaks) {
    const std::string text =
        "Usage: corvane-cli [OPTIONS] SUBCOMMAND\n\nOptions:\n  -h,--help  Print this help";
    EXPECT_EQ(WrapText(text, 80), text);
    // Every word survives, in order, whatever the width.
    const std::string prose = "Without --password or --password-file the password is taken from "
                              "CORVANE_PASSWORD, or asked on the terminal without echo.";
    const std::string wrapped = WrapText(prose, 30);
    std::istringstream a(prose);
    std::istringstream b(wrapped);
    std::vector<std::string> before{std::istream_iterator<std::string>(a), {}};
    std::vector<std::string> after{std::istream_iterator<std::string>(b), {}};
    EXPECT_EQ(before, after);
    for (const std::string& line : Lines(wrapped)) {
        EXPECT_LE(line.size(), 30u) << line;
        EXPECT_NE(line.back(), ' ');
    }
    // A word longer than the line is cut; a tiny width is no width.
    EXPECT_EQ(Lines(WrapText(std::string(50, 'x'), 20)).size(), 3u);
    EXPECT_EQ(WrapText(prose, 10), prose);
}
