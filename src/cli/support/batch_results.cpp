#include "support/batch_results.h"

#include <algorithm>

const char* OutcomeName(DeviceOutcome outcome) {
    switch (outcome) {
    case DeviceOutcome::Success:
        return "success";
    case DeviceOutcome::Failure:
        return "failure";
    case DeviceOutcome::LoginFailed:
        return "login-failed";
    case DeviceOutcome::Cancelled:
        return "cancelled";
    }
    return "failure";
}

std::string ResultLine(const DeviceResult& result) {
    return TableCell(result.ip) + "  " + TableCell(result.text);
}

std::string FormatResults(const std::vector<DeviceResult>& results, OutputFormat format) {
    std::string out;
    switch (format) {
    case OutputFormat::Table:
        for (const DeviceResult& result : results) {
            out += ResultLine(result);
            out += '\n';
        }
        break;
    case OutputFormat::Json:
        out += '[';
        for (std::size_t i = 0; i < results.size(); ++i) {
            const DeviceResult& result = results[i];
            out += i == 0 ? "\n  {\"ip\": " : ",\n  {\"ip\": ";
            out += JsonString(result.ip);
            out += ", \"mac\": ";
            out += JsonString(result.mac);
            out += ", \"outcome\": \"";
            out += OutcomeName(result.outcome);
            out += "\", \"text\": ";
            out += JsonString(result.text);
            out += '}';
        }
        out += results.empty() ? "]\n" : "\n]\n";
        break;
    case OutputFormat::Csv:
        out += "ip,mac,outcome,text\r\n";
        for (const DeviceResult& result : results) {
            out += CsvField(result.ip);
            out += ',';
            out += CsvField(result.mac);
            out += ',';
            out += OutcomeName(result.outcome);
            out += ',';
            out += CsvField(result.text);
            out += "\r\n";
        }
        break;
    }
    return out;
}

int ResultsExitStatus(const std::vector<DeviceResult>& results) {
    return std::all_of(results.begin(), results.end(),
                       [](const DeviceResult& r) { return r.outcome == DeviceOutcome::Success; })
               ? 0
               : 1;
}
