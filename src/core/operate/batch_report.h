#pragma once
// What a batch reports about one device, as data: the outcome and the
// language key of its result. Each front end turns a report into text at its
// own edge (the batch page's tree item, the command line's result line).
#include "discovery/device_entry.h"

#include <functional>
#include <string>

enum class BatchOutcome {
    Success,     // the step was done; key "tx.success"
    Failure,     // the device refused or did not answer; key "tx.fail"
    LoginFailed, // key "info.Login_fail"; loginError holds SDK_Login's error
    Progress,    // an upgrade runs; percent holds 1..100, no key
    Cancelled,   // the batch login was cancelled at this device; no key
};

struct DeviceReport {
    BatchOutcome outcome = BatchOutcome::Failure;
    std::string key;
    int percent = 0;
    int loginError = 0;
};

DeviceReport SuccessOrFailure(bool success);
DeviceReport LoginFailedReport(int loginError);
DeviceReport ProgressReport(int percent);

using TextLookup = std::function<std::string(const std::string& key)>;

// The device's item text: "%s  %s" (address, the key's text), or "%s  %d%"
// while its upgrade runs; empty for a cancelled login.
std::string ReportLine(const DeviceEntry& entry, const DeviceReport& report, const TextLookup& text);
