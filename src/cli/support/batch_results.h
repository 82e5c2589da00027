#pragma once
// The results of a command on several devices, one record per device, and
// how --format writes them: "ADDRESS  TEXT" lines for a table, or a JSON
// array / CSV rows with the address, MAC address, outcome and text.
#include "support/text_format.h"

#include <string>
#include <vector>

enum class DeviceOutcome { Success, Failure, LoginFailed, Cancelled };

// The outcome's name in JSON and CSV: "success", "failure", "login-failed",
// "cancelled".
const char* OutcomeName(DeviceOutcome outcome);

struct DeviceResult {
    std::string ip;
    std::string mac;
    DeviceOutcome outcome = DeviceOutcome::Failure;
    std::string text; // the language pack's text of the result
};

// The table's line of one device.
std::string ResultLine(const DeviceResult& result);
// Every record as a JSON array or CSV text (with a header row); the table
// format gives every line.
std::string FormatResults(const std::vector<DeviceResult>& results, OutputFormat format);
// 0 when every device succeeded, else 1.
int ResultsExitStatus(const std::vector<DeviceResult>& results);
