#include "operate/batch_report.h"

DeviceReport SuccessOrFailure(bool success) {
    DeviceReport report;
    report.outcome = success ? BatchOutcome::Success : BatchOutcome::Failure;
    report.key = success ? "tx.success" : "tx.fail";
    return report;
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
