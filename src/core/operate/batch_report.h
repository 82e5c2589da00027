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

// Why a device's step failed: the language key of its line.
namespace failkey {
inline constexpr char kRefused[] = "info.Fail_refused"; // the device said no, or nothing
inline constexpr char kTimeout[] = "info.operate_timeout";
inline constexpr char kOldPassword[] = "info.Fail_old_password";
inline constexpr char kWrongModel[] = "info.Fail_wrong_model";
inline constexpr char kNotFirmware[] = "info.Fail_not_firmware";
inline constexpr char kNotConfigFile[] = "info.Fail_not_config_file";
// The device's family cannot do this operation.
inline constexpr char kNotSupported[] = "info.Fail_not_supported";
} // namespace failkey

DeviceReport SuccessOrFailure(bool success);
// Success, or a failure that says why.
DeviceReport SuccessOr(bool success, std::string failureKey);
// The password step from ChangePassword's result: the device answers -1
// when the old password is wrong.
DeviceReport PasswordReport(int result);
// Why a configuration import failed: the file is none, or the device refused.
std::string ImportFailureKey(const std::string& path);
// Why an upgrade failed: the file is no firmware, it is for another model
// than the device's, or the device refused.
std::string UpgradeFailureKey(const std::string& path, const std::string& deviceModel);
DeviceReport LoginFailedReport(int loginError);
DeviceReport ProgressReport(int percent);

using TextLookup = std::function<std::string(const std::string& key)>;

// The device's item text: "%s  %s" (address, the key's text), or "%s  %d%"
// while its upgrade runs; empty for a cancelled login.
std::string ReportLine(const DeviceEntry& entry, const DeviceReport& report, const TextLookup& text);
