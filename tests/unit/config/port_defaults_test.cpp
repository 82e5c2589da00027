// The port panel's initial values from "DEFAULT_CFG".
#include "config/port_defaults.h"
#include "test_temp_folder.h"

#include <gtest/gtest.h>

TEST(PortDefaults, BuiltInValuesWhenTheFileOrKeysAreMissing) {
    TestTempFolder temp;
    const PortDefaults missingFile = ReadPortDefaults(temp.File("absent.ini"));
    EXPECT_EQ(missingFile.Http, 80);
    EXPECT_EQ(missingFile.Tcp, 34567);
    EXPECT_EQ(missingFile.Rtsp, 554);

    const PortDefaults noKeys = ReadPortDefaults(temp.Write("a.ini", "[DEFAULT_CFG]\nOther=1\n"));
    EXPECT_EQ(noKeys.Http, 80);
    EXPECT_EQ(noKeys.Tcp, 34567);
    EXPECT_EQ(noKeys.Rtsp, 554);
}

TEST(PortDefaults, ReadsNumbersAndKeepsTheDefaultForAnythingElse) {
    TestTempFolder temp;
    const PortDefaults read = ReadPortDefaults(
        temp.Write("b.ini", "[default_cfg]\nhttp_PORT=8080\nTcp_port=+40000x\nRtsp_port=65535\n"));
    EXPECT_EQ(read.Http, 8080);
    EXPECT_EQ(read.Tcp, 40000);
    EXPECT_EQ(read.Rtsp, 65535);

    for (const char* bad : {"abc", "", "0", "-80", "65536", "99999999999", " ", "- 1"}) {
        const PortDefaults ports =
            ReadPortDefaults(temp.Write("c.ini", std::string("[DEFAULT_CFG]\nHttp_port=") + bad +
                                                     "\nTcp_port=" + bad + "\nRtsp_port=" + bad));
        EXPECT_EQ(ports.Http, 80) << bad;
        EXPECT_EQ(ports.Tcp, 34567) << bad;
        EXPECT_EQ(ports.Rtsp, 554) << bad;
    }
}
