// The command line's text tables: columns line up by characters, not bytes,
// and a table too wide for its terminal is narrowed where it may be cut.
#include "support/table_layout.h"

#include <gtest/gtest.h>

TEST(TableLayout, ColumnsLineUpByCharacters) {
    // "Tür" is four bytes but three characters; the last column is not padded.
    const TableRows rows{{"ip", "model", "v"}, {"10.0.0.1", "Tür", "1"}, {"10.0.0.10", "ab", "22"}};
    EXPECT_EQ(LayoutTable(rows, {}, 0), "ip         model  v\n"
                                        "10.0.0.1   Tür    1\n"
                                        "10.0.0.10  ab     22\n");
}

TEST(TableLayout, NarrowsTheWidestCuttableColumnToFit) {
    const TableRows rows{{"ip", "model", "version"},
                         {"10.77.16.1", "IPC-LONG-MODEL", "V1.00.R01 Build: 2026-01-01"},
                         {"10.77.16.2", "N", "V2"}};
    const std::string text = LayoutTable(rows, {false, true, true}, 34);
    EXPECT_EQ(text, "ip          model       version\n"
                    "10.77.16.1  IPC-LONG-~  V1.00.R01~\n"
                    "10.77.16.2  N           V2\n");
    // A column may not be cut below its header; when nothing more can be
    // cut the lines stay wider than asked, with every header whole.
    const std::string tight = LayoutTable(rows, {false, true, true}, 10);
    EXPECT_EQ(tight.substr(0, tight.find('\n')), "ip          model  version");
    EXPECT_NE(tight.find("10.77.16.1  IPC-~  V1.00.~\n"), std::string::npos);
    // Cutting counts characters: a multi-byte character is never split.
    EXPECT_EQ(LayoutTable({{"m"}, {"Türen"}}, {true}, 3), "m\nTü~\n");
}
