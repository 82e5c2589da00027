// Device texts in the command line's output formats stay data: nothing in
// a table cell steers the terminal, nothing in a CSV field runs as a
// spreadsheet formula.
#include "support/text_format.h"

#include <gtest/gtest.h>

TEST(TextFormat, TableCellsHoldNoControlCharacters) {
    // A title change (OSC), a colour (CSI) in 7-bit and in 8-bit form: the
    // C1 introducer as a raw byte and as the UTF-8 character U+009B.
    EXPECT_EQ(TableCell("V1\x1b]0;owned\x07"), "V1?]0;owned?");
    EXPECT_EQ(TableCell("V1\x9b"
                        "31m"),
              "V1?31m");
    EXPECT_EQ(TableCell("V1\xc2\x9b"
                        "31m\xc2\x85"),
              "V1?31m?");
    EXPECT_EQ(TableCell("tab\there\x7f"), "tab?here?");
    // Printable text of any script stays, U+00A0 and up included.
    EXPECT_EQ(TableCell("Kamera Tür \xc2\xa0\xe6\x91\x84\xe5\x83\x8f"),
              "Kamera Tür \xc2\xa0\xe6\x91\x84\xe5\x83\x8f");
    // A character cut at the end is one '?' per byte.
    EXPECT_EQ(TableCell("ab\xe6\x91"), "ab??");
}

TEST(TextFormat, JsonEscapesC1AsWellAsC0) {
    EXPECT_EQ(JsonString("a\xc2\x9b"
                         "b\x1b"),
              "\"a\\u009bb\\u001b\"");
    EXPECT_EQ(JsonString("\xc2\xa0"), "\"\xc2\xa0\"");
}

TEST(TextFormat, CsvFieldsThatLookLikeFormulasStayText) {
    EXPECT_EQ(CsvField("=HYPERLINK(\"http://x\")"), "\"'=HYPERLINK(\"\"http://x\"\")\"");
    EXPECT_EQ(CsvField("+1"), "\"'+1\"");
    EXPECT_EQ(CsvField("-2+3"), "\"'-2+3\"");
    EXPECT_EQ(CsvField("@SUM(A1)"), "\"'@SUM(A1)\"");
    EXPECT_EQ(CsvField("\t=1"), "\"'\t=1\"");
    // Inside a field these characters are harmless.
    EXPECT_EQ(CsvField("IPC-LAB"), "IPC-LAB");
    EXPECT_EQ(CsvField("a=b"), "a=b");
    EXPECT_EQ(CsvField(""), "");
    EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
}
