// The per-device records of --format and the exit status.
#include "support/batch_results.h"

#include <gtest/gtest.h>

TEST(BatchResults, RecordsInEachFormatAndTheExitStatus) {
    const std::vector<DeviceResult> results{
        {"10.77.16.1", "02-C0-00-00-10-01", DeviceOutcome::Success, "Success"},
        {"10.77.16.2", "02-C0-00-00-10-02", DeviceOutcome::LoginFailed, "Wrong \"password\", retry\x01"},
    };
    EXPECT_EQ(FormatResults(results, OutputFormat::Table),
              "10.77.16.1  Success\n10.77.16.2  Wrong \"password\", retry?\n");
    EXPECT_EQ(
        FormatResults(results, OutputFormat::Json),
        "[\n  {\"ip\": \"10.77.16.1\", \"mac\": \"02-C0-00-00-10-01\", \"outcome\": \"success\", \"text\": "
        "\"Success\"},\n  {\"ip\": \"10.77.16.2\", \"mac\": \"02-C0-00-00-10-02\", \"outcome\": "
        "\"login-failed\", \"text\": \"Wrong \\\"password\\\", retry\\u0001\"}\n]\n");
    EXPECT_EQ(FormatResults(results, OutputFormat::Csv),
              "ip,mac,outcome,text\r\n10.77.16.1,02-C0-00-00-10-01,success,Success\r\n"
              "10.77.16.2,02-C0-00-00-10-02,login-failed,\"Wrong \"\"password\"\", retry\x01\"\r\n");
    EXPECT_EQ(FormatResults({}, OutputFormat::Json), "[]\n");
    EXPECT_EQ(ResultsExitStatus(results), 1);
    EXPECT_EQ(ResultsExitStatus({results[0]}), 0);
}
