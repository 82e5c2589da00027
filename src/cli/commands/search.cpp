// corvane-cli search: one full search (both phases, merge, customer filter),
// then the device table in key order as a table, JSON or CSV.
#include "search.h"

#include "command.h"
#include "config/app_config.h"
#include "lang/language.h"
#include "lang/tool_language.h"
#include "platform/paths.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

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

// Length of the valid UTF-8 sequence at text[i], or 0 when it is not one.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length;
    uint32_t minimum;
    if (lead < 0x80) {
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (i + length > text.size()) {
        return 0;
    }
    uint32_t code = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return 0;
    }
    return length;
}

// Device bytes as a JSON string: valid UTF-8 kept, each byte that is not
// part of valid UTF-8 becomes U+FFFD, control characters are escaped.
std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = Utf8SequenceLength(text, i);
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
            continue;
        }
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out.append(text.substr(i, length));
        }
        i += length;
    }
    return out + "\"";
}

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string out = "\"";
    for (const char c : text) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    return out + "\"";
}

// Control characters would steer the terminal: shown as '?'.
std::string TableCell(const std::string& text) {
    std::string out = text;
    for (char& c : out) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            c = '?';
        }
    }
    return out;
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
            out += "\"" + std::string(column.key) + "\": ";
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
        out += (out.empty() ? "" : ",") + std::string(column.key);
    }
    out += "\r\n";
    for (const auto& [mac, device] : devices) {
        bool first = true;
        for (const Column& column : Columns()) {
            out += (first ? "" : ",") + CsvField(column.text(device));
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

int RunSearchCommand(const std::vector<std::string>& args) {
    std::string format = "table";
    SearchOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--format" && i + 1 < args.size()) {
            format = args[++i];
        } else if (!ParsePhaseOption(args, i, options.timing)) {
            std::fprintf(stderr, "corvane-cli search: unknown argument \"%s\"\n", args[i].c_str());
            return 2;
        }
    }
    if (format != "table" && format != "json" && format != "csv") {
        std::fprintf(stderr, "corvane-cli search: --format is table, json or csv\n");
        return 2;
    }
    options.customerCodes = LoadCliDiscoverySettings().customerCodes;
    const SearchResult result = RunSearch(options);
    if (result.setUpResult != kSocketsReady) {
        std::string text;
        Tool::SocketErrorText(result.setUpResult + 8, text);
        std::fprintf(stderr, "%s\n", text.c_str());
        return 2;
    }
    if (format == "json") {
        PrintJson(result.devices);
    } else if (format == "csv") {
        PrintCsv(result.devices);
    } else {
        PrintTable(result.devices);
    }
    return 0;
}

const CliCommandRegistration kRegistration({
    "search",
    "search [--format table|json|csv] [--phase-ms MS]\n"
    "                               find the devices on the network and list them in MAC order\n"
    "                               (V1 then V3 search, MS milliseconds each, 3000 by default)",
    RunSearchCommand,
});

} // namespace

CliDiscoverySettings LoadCliDiscoverySettings() {
    AppConfig config;
    LoadConfig(config);
    Tool::LoadLanguage(config.LanguageIndex, GetProgramFolder());
    return {config.CustomerCodes};
}

std::string CliText(std::string_view key) {
    return CLanguage::GetInstance().GetText(key);
}

bool ParsePhaseOption(const std::vector<std::string>& args, std::size_t& i, SearchTiming& timing) {
    if (args[i] != "--phase-ms" || i + 1 >= args.size()) {
        return false;
    }
    const int phase = std::atoi(args[++i].c_str());
    if (phase <= 0 || phase > 60000) {
        return false;
    }
    timing.phaseMs = phase;
    // A shortened phase still sends its six requests.
    timing.resendMs = std::min<int64_t>(timing.resendMs, phase / 6);
    return true;
}
