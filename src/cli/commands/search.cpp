// corvane-cli search: one full search (the native phases, merge, customer
// filter, and WS-Discovery in the same window), then the device table in key
// order as a table, JSON or CSV.
#include "search.h"

#include "command.h"
#include "config/app_config.h"
#include "discovery/diagnostics.h"
#include "discovery/discovery_source.h"
#include "lang/language.h"
#include "lang/tool_language.h"
#include "onvif/onvif_discovery.h"
#include "platform/paths.h"
#include "support/search_progress.h"
#include "support/table_layout.h"
#include "support/terminal.h"
#include "support/text_format.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>

namespace {

struct Column {
    const char* key;
    std::function<std::string(const DeviceEntry&)> text;
    bool number;
    bool cut = false; // the default table may shorten it to fit
};

// The families that found a device, as the table, JSON and CSV write them.
std::string FamilyText(DeviceFamilies families) {
    const bool native = families.Has(DeviceFamily::Native);
    const bool onvif = families.Has(DeviceFamily::Onvif);
    return native && onvif ? "both" : onvif ? "ONVIF" : native ? "native" : "";
}

std::string OnvifTypeText(OnvifDeviceType type) {
    switch (type) {
    case OnvifDeviceType::Camera:
        return "camera";
    case OnvifDeviceType::Recorder:
        return "recorder";
    case OnvifDeviceType::Unknown:
        break;
    }
    return "";
}

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
        {"family", [](const DeviceEntry& d) { return FamilyText(d.families); }, false},
        {"endpointReference", [](const DeviceEntry& d) { return d.onvif.endpointReference; }, false},
        {"onvifType", [](const DeviceEntry& d) { return OnvifTypeText(d.onvif.deviceType); }, false},
        {"name", [](const DeviceEntry& d) { return d.onvif.name; }, false},
        {"hardware", [](const DeviceEntry& d) { return d.onvif.hardware; }, false},
        {"location", [](const DeviceEntry& d) { return d.onvif.location; }, false},
        {"interface", [](const DeviceEntry& d) { return d.interfaceName; }, false},
        {"localAddress", [](const DeviceEntry& d) { return d.localAddress; }, false},
    };
    return columns;
}

// The default table: the columns most looked at, cut to an 80-column
// terminal. A device known only by its endpoint reference shows the
// reference's end in the MAC's place: where references differ most (a
// random UUID, or one ending in the device's MAC).
constexpr std::size_t kTableWidth = 80;

std::string ShortIdentity(const DeviceEntry& d) {
    if (!d.mac.empty()) {
        return d.mac;
    }
    constexpr std::size_t kMacWidth = 17;
    const std::string& id = d.onvif.endpointReference;
    return id.size() <= kMacWidth ? id : "~" + id.substr(id.size() - (kMacWidth - 1));
}

const std::vector<Column>& NarrowColumns() {
    static const std::vector<Column> columns{
        {"ip", [](const DeviceEntry& d) { return d.ip; }, false},
        {"mac/endpoint", ShortIdentity, false},
        {"family", [](const DeviceEntry& d) { return FamilyText(d.families); }, false},
        {"type",
         [](const DeviceEntry& d) {
             return d.families.Has(DeviceFamily::Native) ? d.type : OnvifTypeText(d.onvif.deviceType);
         },
         false, true},
        {"model", [](const DeviceEntry& d) { return d.model; }, false, true},
        {"version", [](const DeviceEntry& d) { return d.version; }, false, true},
    };
    return columns;
}

// The fields that need the whole table, after the columns: what is wrong
// with the device's address (words separated by blanks, empty when
// nothing is) and the further addresses its MAC answered from.
struct TableFacts {
    std::map<std::string, AddressProblems> problems;

    explicit TableFacts(const DeviceTable& devices)
        : problems(DiagnoseTable(devices, net::LocalInterfaces())) {}

    std::vector<std::pair<const char*, std::string>> Of(const std::string& key, const DeviceEntry& d) const {
        const auto found = problems.find(key);
        std::string others;
        for (const std::string& address : d.otherAddresses) {
            others += (others.empty() ? "" : " ") + address;
        }
        return {{"diagnostics", found == problems.end() ? std::string() : AddressProblemWords(found->second)},
                {"otherAddresses", others}};
    }
};

void PrintJson(const DeviceTable& devices) {
    const TableFacts facts(devices);
    std::string out = "[";
    bool firstDevice = true;
    for (const auto& [key, device] : devices) {
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
        for (const auto& [name, value] : facts.Of(key, device)) {
            out += ", \"";
            out += name;
            out += "\": " + JsonString(value);
        }
        out += "}";
    }
    out += devices.empty() ? "]\n" : "\n]\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
}

void PrintCsv(const DeviceTable& devices) {
    const TableFacts facts(devices);
    std::string out;
    for (const Column& column : Columns()) {
        out += out.empty() ? "" : ",";
        out += column.key;
    }
    for (const auto& [name, value] : facts.Of({}, {})) {
        out += ",";
        out += name;
    }
    out += "\r\n";
    for (const auto& [key, device] : devices) {
        bool first = true;
        for (const Column& column : Columns()) {
            out += first ? "" : ",";
            out += CsvField(column.text(device));
            first = false;
        }
        for (const auto& [name, value] : facts.Of(key, device)) {
            out += "," + CsvField(value);
        }
        out += "\r\n";
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
}

void PrintTable(const DeviceTable& devices, bool wide) {
    const std::vector<Column>& columns = wide ? Columns() : NarrowColumns();
    TableRows rows(1);
    std::vector<bool> shrinkable;
    for (const Column& column : columns) {
        rows.front().push_back(column.key);
        shrinkable.push_back(column.cut);
    }
    for (const auto& [key, device] : devices) {
        std::vector<std::string> row;
        for (const Column& column : columns) {
            row.push_back(TableCell(column.text(device)));
        }
        rows.push_back(std::move(row));
    }
    const std::string text = LayoutTable(rows, shrinkable, wide ? 0 : kTableWidth);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fprintf(stderr, "corvane-cli: %zu devices\n", devices.size());
}

struct SearchArguments {
    std::string format = "table";
    int phaseMs = 0;
    std::string family = "all";
    bool wide = false;
    std::string addresses;  // set: ask these addresses instead of searching
    std::string interfaces; // set: search out of these interfaces only
};

int RunSearchCommand(const SearchArguments& arguments) {
    SearchOptions options;
    if (arguments.phaseMs > 0) {
        SetSearchPhase(arguments.phaseMs, options.timing);
    }
    const CliDiscoverySettings settings = LoadCliDiscoverySettings();
    options.customerCodes = settings.customerCodes;
    options.interfaceNames =
        arguments.interfaces.empty() ? settings.interfaces : net::ParseInterfaceList(arguments.interfaces);
    if (arguments.family != "onvif") {
        options.sources.push_back(NativeDiscovery());
    }
    if (arguments.family != "native") {
        options.sources.push_back(std::make_shared<onvif::OnvifDiscovery>(onvif::CreateCurlTransport()));
    }
    if (!arguments.addresses.empty()) {
        const AddressRangeParse parsed = ParseAddressRange(arguments.addresses);
        if (!parsed.range) {
            std::fprintf(stderr, "%s\n", CliText(parsed.errorKey).c_str());
            return 2;
        }
        options.addresses = parsed.range;
    }
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
        PrintTable(result.devices, arguments.wide);
        break;
    }
    return 0;
}

const CliCommandRegistration kRegistration({
    "search",
    "Find the devices on the network (native and ONVIF) and list them in MAC order",
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
        command
            .add_option("--family", arguments->family,
                        "Which device families to search for: native, onvif or all (default)")
            ->check(CLI::IsMember({"native", "onvif", "all"}))
            ->type_name("FAMILY");
        command
            .add_option("--address", arguments->addresses,
                        "Ask one address or a range (10.1.2.10-40, at most 1024 addresses) directly, for "
                        "devices that the search cannot reach (a routed subnet); ONVIF devices answer")
            ->type_name("RANGE");
        command
            .add_option("--interface", arguments->interfaces,
                        "Search out of these interfaces only (names separated by commas); by default every "
                        "interface, or those of SEARCH_CFG Interfaces in Config.ini")
            ->type_name("NAMES");
        command.add_flag("--wide", arguments->wide,
                         "Every column in the table (by default the table fits 80 columns)");
        return [arguments] { return RunSearchCommand(*arguments); };
    },
});

} // namespace

CliDiscoverySettings LoadCliDiscoverySettings() {
    AppConfig config;
    LoadConfig(config);
    Tool::LoadLanguage(config.LanguageIndex, GetProgramFolder());
    return {config.CustomerCodes, config.UpgradeTransfers, config.SearchInterfaces};
}

std::string CliText(std::string_view key) {
    return CLanguage::GetInstance().GetText(key);
}

SearchResult RunSearchWithProgress(SearchOptions options) {
    const std::optional<TerminalSize> terminal = TerminalSizeOf(stderr);
    SearchProgressLine line(stderr, terminal ? terminal->columns : 0);
    options.progress.v1Found = [&line](std::vector<DeviceEntry> found) { line.Found(found.size()); };
    SearchResult result;
    if (options.addresses) {
        result.devices = ProbeSources(options.sources, *options.addresses, options, nullptr);
    } else {
        result = options.sources.empty() ? RunSearch(options) : RunSources(options.sources, options, nullptr);
    }
    line.Finish();
    return result;
}

void SetSearchPhase(int phaseMs, SearchTiming& timing) {
    timing.phaseMs = phaseMs;
    // A shortened phase still sends its six requests.
    timing.resendMs = std::min<int64_t>(timing.resendMs, phaseMs / 6);
}
