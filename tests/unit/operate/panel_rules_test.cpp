// The operation panels' input rules and the coalescing of device reports.
#include "operate/panel_rules.h"
#include "operate/report_coalescer.h"

#include <gtest/gtest.h>

using namespace panel_rules;

TEST(PanelRules, PasswordEditRefusesTheFirstIllegalCharacterAndCutsAt64) {
    PasswordEdit space = CheckPasswordEdit("ab c");
    EXPECT_TRUE(space.illegal);
    EXPECT_EQ(space.offending, " ");
    EXPECT_TRUE(space.changed);
    EXPECT_TRUE(space.text.empty());
    // A character of several bytes is named whole.
    EXPECT_EQ(CheckPasswordEdit("x\xC3\xA9y").offending, "\xC3\xA9");
    // Bytes that are not UTF-8 are refused as well.
    EXPECT_TRUE(CheckPasswordEdit("a\xFF").illegal);

    const std::string allowed = "Az09!#$%&*+,-./:;<=>?@^_|";
    PasswordEdit fine = CheckPasswordEdit(allowed);
    EXPECT_FALSE(fine.illegal);
    EXPECT_FALSE(fine.changed);
    EXPECT_FALSE(CheckPasswordEdit("").changed);

    PasswordEdit longer = CheckPasswordEdit(std::string(65, 'k'));
    EXPECT_TRUE(longer.changed);
    EXPECT_EQ(longer.text, std::string(64, 'k'));
    EXPECT_FALSE(CheckPasswordEdit(std::string(64, 'k')).changed);
}

TEST(PanelRules, PortsCollideOnAnyEqualPairWithRtspByItsLow16Bits) {
    EXPECT_TRUE(PortsCollide({80, 80, 554}));
    EXPECT_TRUE(PortsCollide({80, 34567, 80}));
    EXPECT_TRUE(PortsCollide({80, 554, 554}));
    EXPECT_TRUE(PortsCollide({80, 34567, 65536 + 80}));
    EXPECT_FALSE(PortsCollide({80, 34567, 554}));
    // Without a TCP port (no ticked device has one) only HTTP and RTSP count.
    EXPECT_FALSE(PortsCollide({80, 80, 554}, false));
    EXPECT_TRUE(PortsCollide({80, 34567, 65536 + 80}, false));
}

TEST(PanelRules, BrowseStartsInTheFolderOfTheCurrentPath) {
    EXPECT_EQ(BrowseStartFolder("/srv/fw/image.upf"), "/srv/fw");
    EXPECT_EQ(BrowseStartFolder("C:\\fw\\image.upf"), "C:\\fw");
    EXPECT_EQ(BrowseStartFolder("/image.upf"), "");
    EXPECT_EQ(BrowseStartFolder("image.upf"), "");
    EXPECT_EQ(BrowseStartFolder(""), "");
}

TEST(ReportCoalescer, ProgressReplacesProgressButEveryFinalReportStaysInOrder) {
    DeviceEntry a;
    DeviceEntry b;
    ReportCoalescer coalescer;
    EXPECT_TRUE(coalescer.Add(a, ProgressReport(1)));
    for (int percent = 2; percent <= 60; ++percent) {
        EXPECT_FALSE(coalescer.Add(a, ProgressReport(percent)));
        coalescer.Add(b, ProgressReport(percent));
    }
    coalescer.Add(b, SuccessOrFailure(true));
    coalescer.Add(b, ProgressReport(3)); // a later upgrade of the same record
    std::vector<ReportCoalescer::Pending> taken = coalescer.Take();
    ASSERT_EQ(taken.size(), 4u);
    EXPECT_EQ(taken[0].entry, &a);
    EXPECT_EQ(taken[0].report.percent, 60);
    EXPECT_EQ(taken[1].report.percent, 60);
    EXPECT_EQ(taken[2].report.outcome, BatchOutcome::Success);
    EXPECT_EQ(taken[3].report.percent, 3);
    EXPECT_TRUE(coalescer.Take().empty());
    EXPECT_TRUE(coalescer.Add(a, ProgressReport(61))); // empty again: schedule anew
}
