// corvane-cli search: one full search (both phases, merge, customer filter),
// then the device table in key order as a table, JSON or CSV.
#include "search.h"

#include "command.h"
#include "config/app_config.h"
#include "lang/language.h"
#include "lang/tool_language.h"
#include "platform/paths.h"
#include "support/search_progress.h"
#include "support/terminal.h"
#include "support/text_format.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

namespace {

struct Column {
    const char* key;
    std::function<std::string(const DeviceEntry&)> text;
    bool number;
};

const std::vector<Column>& Columns() {
    static const std::vector<Column> columns{
        {"mac", [](const DeviceEntry& d) { return d.mac; }, false},
        {"ip", [](const DeviceEntry& d) { return d.ip; }, false},
        {"mask", [](const DeviceEntry& d) { return d.mask; }, false},
        {"gateway", [](const DeviceEntry& d) { return d.gateway; }, false},
        {"dns1", [](const DeviceEntry& d) { return d.dns1; }, false},
        {"dns2", [](const DeviceEntry& d) { return d.dns2; }, false},
        {"tcpPort", [](const DeviceEntry& d) { return std::to_string(d.tcpPort); }, true},
        {"webPort", [](const DeviceEntry& d) { return std::to_string(d.webPort); }, true},
        {"onvifPort", [](const DeviceEntry& d) { return std::to_string(d.onvifPort); }, true},
        {"dhcpMode", [](const DeviceEntry& d) { return std::to_string(d.dhcpMode); }, true},
        {"capabilities", [](const DeviceEntry& d) { return std::to_string(d.capabilities); }, true},
        {"type", [](const DeviceEntry& d) { return d.type; }, false},
        {"model", [](const DeviceEntry& d) { return d.model; }, false},
        {"cloudId", [](const DeviceEntry& d) { return d.cloudId; }, false},
        {"deviceTime", [](const DeviceEntry& d) { return d.deviceTime; }, false},
        {"version", [](const DeviceEntry& d) { return d.version; }, false},
        {"releaseTime", [](const DeviceEntry& d) { return d.releaseTime; }, false},
        {"startTime", [](const DeviceEntry& d) { return d.startTime; }, false},
        {"customerCode", [](const DeviceEntry& d) { return d.customerCode; }, false},
    };
    return columns;
}

void PrintJson(const DeviceTable& devices) {
    std::string out = "[";
    bool firstDevice = true;
    for (const auto& [mac, device] : devices) {
        out += firstDevice ? "\n  {" : ",\n  {";
        firstDevice = false;
        bool firstField = true;
        for (const Column& column : Columns()) {
            out += firstField ? "" : ", ";
            firstField = false;
            out += '"';
            out += column.key;
            out += "\": ";
            out += column.number ? column.text(device) : JsonString(column.text(device));
        }
        out += "}";
    }
    out += devices.empty() ? "]\n" : "\n]\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
}

void PrintCsv(const DeviceTable& devices) {
    std::string out;
    for (const Column& column : Columns()) {
        out += out.empty() ? "" : ",";
        out += column.key;
    }
    out += "\r\n";
    for (const auto& [mac, device] : devices) {
        bool first = true;
        for (const Column& column : Columns()) {
            out += first ? "" : ",";
            out += CsvField(column.text(device));
            first = false;
        }
        out += "\r\n";
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
}

void PrintTable(const DeviceTable& devices) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> header;
    for (const Column& column : Columns()) {
        header.push_back(column.key);
    }
    rows.push_back(header);
    for (const auto& [mac, device] : devices) {
        std::vector<std::string> row;
        for (const Column& column : Columns()) {
            row.push_back(TableCell(column.text(device)));
        }
        rows.push_back(std::move(row));
    }
    std::vector<std::size_t> widths(header.size(), 0);
    for (const auto& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            widths[i] = std::max(widths[i], row[i].size());
        }
    }
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            line += row[i];
            if (i + 1 < row.size()) {
                line += std::string(widths[i] - row[i].size() + 2, ' ');
            }
        }
        std::printf("%s\n", line.c_str());
    }
    std::fprintf(stderr, "corvane-cli: %zu devices\n", devices.size());
}

struct SearchArguments {
    std::string format = "table";
    int phaseMs = 0;
};

int RunSearchCommand(const SearchArguments& arguments) {
    SearchOptions options;
    if (arguments.phaseMs > 0) {
        SetSearchPhase(arguments.phaseMs, options.timing);
    }
    options.customerCodes = LoadCliDiscoverySettings().customerCodes;
    const SearchResult result = RunSearchWithProgress(options);
    if (result.setUpResult != kSocketsReady) {
        std::string text;
        Tool::SocketErrorText(result.setUpResult + 8, text);
        std::fprintf(stderr, "%s\n", text.c_str());
        return 2;
    }
    switch (ParseOutputFormat(arguments.format).value_or(OutputFormat::Table)) {
    case OutputFormat::Json:
        PrintJson(result.devices);
        break;
    case OutputFormat::Csv:
        PrintCsv(result.devices);
        break;
    case OutputFormat::Table:
        PrintTable(result.devices);
        break;
    }
    return 0;
}

const CliCommandRegistration kRegistration({
    "search",
    "Find the devices on the network and list them in MAC order",
    [](CLI::App& command) -> std::function<int()> {
        auto arguments = std::make_shared<SearchArguments>();
        command.add_option("--format", arguments->format, "table, json or csv")
            ->check(CLI::IsMember({"table", "json", "csv"}))
            ->type_name("FORMAT");
        command
            .add_option("--phase-ms", arguments->phaseMs,
                        "Length of each of the two search phases (V1, then V3), 3000 by default")
            ->check(CLI::Range(1, 60000))
            ->type_name("MS");
        return [arguments] { return RunSearchCommand(*arguments); };
    },
});

} // namespace

CliDiscoverySettings LoadCliDiscoverySettings() {
    AppConfig config;
    LoadConfig(config);
    Tool::LoadLanguage(config.LanguageIndex, GetProgramFolder());
    return {config.CustomerCodes, config.UpgradeTransfers};
}

std::string CliText(std::string_view key) {
    return CLanguage::GetInstance().GetText(key);
}

SearchResult RunSearchWithProgress(SearchOptions options) {
    const std::optional<TerminalSize> terminal = TerminalSizeOf(stderr);
    SearchProgressLine line(stderr, terminal ? terminal->columns : 0);
    options.progress.v1Found = [&line](std::vector<DeviceEntry> found) { line.Found(found.size()); };
    SearchResult result = RunSearch(options);
    line.Finish();
    return result;
}

void SetSearchPhase(int phaseMs, SearchTiming& timing) {
    timing.phaseMs = phaseMs;
    // A shortened phase still sends its six requests.
    timing.resendMs = std::min<int64_t>(timing.resendMs, phaseMs / 6);
}
