#include "operate/batch_report.h"

#include "sdk/config_file.h"
#include "sdk/firmware_cache.h"
#include "sdk/wire_messages.h"

DeviceReport SuccessOrFailure(bool success) {
    DeviceReport report;
    report.outcome = success ? BatchOutcome::Success : BatchOutcome::Failure;
    report.key = success ? "tx.success" : "tx.fail";
    return report;
}

DeviceReport SuccessOr(bool success, std::string failureKey) {
    DeviceReport report = SuccessOrFailure(success);
    if (!success) {
        report.key = std::move(failureKey);
    }
    return report;
}

DeviceReport PasswordReport(int result) {
    constexpr int kWrongOldPassword = -1;
    return SuccessOr(result == 1, result == kWrongOldPassword ? failkey::kOldPassword : failkey::kRefused);
}

std::string ImportFailureKey(const std::string& path) {
    const auto file = sdkwire::ReadWholeFile(path, sdkwire::kMaxConfigImage + 64);
    return file && sdkwire::DecodeConfigFile(*file) ? failkey::kRefused : failkey::kNotConfigFile;
}

std::string UpgradeFailureKey(const std::string& path, const std::string& deviceModel) {
    // The shared, checked copy the upgrades send: while they run, a failing
    // device costs no reading of the image again.
    const auto firmware = sdkclient::CheckedFirmware(path, sdkwire::kMaxFirmwareSize);
    if (!firmware) {
        return failkey::kNotFirmware;
    }
    // A device whose model is not known (no V3 reply) is not judged by it.
    const bool modelKnown = !deviceModel.empty() && deviceModel != "-- --";
    return modelKnown && firmware->model != deviceModel ? failkey::kWrongModel : failkey::kRefused;
}

DeviceReport LoginFailedReport(int loginError) {
    DeviceReport report;
    report.outcome = BatchOutcome::LoginFailed;
    report.key = "info.Login_fail";
    report.loginError = loginError;
    return report;
}

DeviceReport ProgressReport(int percent) {
    DeviceReport report;
    report.outcome = BatchOutcome::Progress;
    report.percent = percent;
    return report;
}

std::string ReportLine(const DeviceEntry& entry, const DeviceReport& report, const TextLookup& text) {
    switch (report.outcome) {
    case BatchOutcome::Progress:
        return entry.ip + "  " + std::to_string(report.percent) + "%";
    case BatchOutcome::Cancelled:
        return {};
    default:
        return entry.ip + "  " + text(report.key);
    }
}
