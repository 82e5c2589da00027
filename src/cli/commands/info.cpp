// corvane-cli info: finds the ONVIF device at one address with a unicast
// probe, logs in to it and reads its identity, network settings, protocol
// ports and services.
#include "command.h"
#include "device_batch.h"
#include "discovery/ip_rules.h"
#include "onvif/device_info.h"
#include "onvif/onvif_discovery.h"
#include "search.h"
#include "support/table_layout.h"
#include "support/text_format.h"

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

namespace {

using Fields = std::vector<std::pair<std::string, std::string>>;

std::string Joined(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items) {
        out += (out.empty() ? "" : " ") + item;
    }
    return out;
}

std::string PortText(uint16_t port) {
    return port == 0 ? std::string() : std::to_string(port);
}

// Everything but the services, in output order.
Fields InfoFields(const DeviceEntry& device, const onvif::OnvifDeviceInfo& info) {
    return {
        {"ip", device.ip},
        {"endpointReference", device.onvif.endpointReference},
        {"manufacturer", info.device.manufacturer},
        {"model", info.device.model},
        {"firmwareVersion", info.device.firmwareVersion},
        {"serialNumber", info.device.serialNumber},
        {"hardwareId", info.device.hardwareId},
        {"mac", info.network.mac},
        {"dhcp", info.network.dhcp ? "on" : "off"},
        {"address", info.network.address},
        {"mask", info.network.mask},
        {"gateway", Joined(info.gateways)},
        {"dns", Joined(info.dns.servers)},
        {"httpPort", PortText(info.protocols.http)},
        {"httpsPort", PortText(info.protocols.https)},
        {"rtspPort", PortText(info.protocols.rtsp)},
    };
}

void PrintInfo(OutputFormat format, const Fields& fields,
               const std::vector<onvif::ServiceAddress>& services) {
    std::string out;
    switch (format) {
    case OutputFormat::Json: {
        out = "{";
        for (const auto& [key, value] : fields) {
            out += (out.size() > 1 ? ", " : "") + JsonString(key) + ": " + JsonString(value);
        }
        out += ", \"services\": [";
        for (std::size_t i = 0; i < services.size(); ++i) {
            out += (i > 0 ? ", " : "") + std::string("{\"namespace\": ") + JsonString(services[i].ns) +
                   ", \"xaddr\": " + JsonString(services[i].xaddr) + "}";
        }
        out += "]}\n";
        break;
    }
    case OutputFormat::Csv: {
        std::string header;
        std::string row;
        for (const auto& [key, value] : fields) {
            header += key + ",";
            row += CsvField(value) + ",";
        }
        std::string list;
        for (const onvif::ServiceAddress& service : services) {
            list += (list.empty() ? "" : " ") + service.ns + "=" + service.xaddr;
        }
        out = header + "services\r\n" + row + CsvField(list) + "\r\n";
        break;
    }
    case OutputFormat::Table: {
        TableRows rows{{"field", "value"}};
        for (const auto& [key, value] : fields) {
            rows.push_back({key, TableCell(value)});
        }
        for (const onvif::ServiceAddress& service : services) {
            rows.push_back({"service", TableCell(service.ns) + " " + TableCell(service.xaddr)});
        }
        out = LayoutTable(rows, {}, 0);
        break;
    }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
}

// The ONVIF device at address, with its clock read when it could be: the
// probe ends as soon as the device's clock is known. Every answer to a probe
// sent to one address is that device's, whatever address its XAddrs name.
std::optional<DeviceEntry> FindOnvifDevice(onvif::OnvifDiscovery& source, const std::string& address,
                                           const SearchOptions& base) {
    const uint32_t host = AddressFromText(address);
    if (host == kInvalidAddress) {
        return std::nullopt;
    }
    std::mutex mutex;
    std::optional<DeviceEntry> withClock;
    std::atomic<bool> stop{false};
    SearchOptions options = base;
    options.progress.v3Found = [&](std::vector<DeviceEntry> entries) {
        std::lock_guard lock(mutex);
        for (DeviceEntry& entry : entries) {
            if (!withClock && entry.onvif.clockKnown) {
                withClock = std::move(entry);
                stop = true;
            }
        }
    };
    const onvif::UnicastProbeResult result = source.ProbeUnicast(host, host, options, &stop);
    std::lock_guard lock(mutex);
    if (withClock) {
        return withClock;
    }
    if (result.devices.empty()) {
        return std::nullopt;
    }
    return result.devices.begin()->second;
}

int RunInfo(DeviceSelection& selection) {
    if (const int status = CompleteSelection(selection); status != 0) {
        return status;
    }
    LoadCliDiscoverySettings(); // the language of the failure texts
    SearchOptions options;
    if (selection.phaseMs > 0) {
        SetSearchPhase(selection.phaseMs, options.timing);
    }
    const std::shared_ptr<onvif::SoapTransport> transport = onvif::CreateCurlTransport();
    onvif::OnvifDiscovery source(transport);
    const std::optional<DeviceEntry> device = FindOnvifDevice(source, selection.ip, options);
    if (!device) {
        std::fprintf(stderr, "corvane-cli info: no ONVIF device answers at %s\n", selection.ip.c_str());
        return 1;
    }
    onvif::OnvifCredentials credentials;
    credentials.user = selection.user;
    credentials.password = std::move(selection.password);
    onvif::AuthMemory memory;
    const onvif::OnvifInfoResult result =
        onvif::ReadOnvifInfo(device->onvif, credentials, memory, *transport, onvif::UtcSecondsNow());
    if (result.outcome != onvif::InfoOutcome::Ok) {
        std::fprintf(stderr, "%s  %s\n", selection.ip.c_str(), TableCell(CliText(result.errorKey)).c_str());
        return 1;
    }
    PrintInfo(ParseOutputFormat(selection.format).value_or(OutputFormat::Table),
              InfoFields(*device, result.info), result.info.services);
    return 0;
}

const CliCommandRegistration kRegistration({
    "info",
    "Log in to the ONVIF device at an address and show its model, serial, network settings, ports and "
    "services",
    [](CLI::App& command) -> std::function<int()> {
        auto selection = std::make_shared<DeviceSelection>();
        selection->command = command.get_name();
        command.add_option("--ip", selection->ip, "The device's address")
            ->required()
            ->check(CLI::ValidIPV4)
            ->type_name("ADDRESS");
        command.add_option("--user", selection->user, "User name (default: admin)");
        selection->passwordOption =
            command.add_option("--password", selection->password,
                               "Password. Visible to every user of this machine in the process list: prefer "
                               "--password-file, CORVANE_PASSWORD or the prompt");
        command
            .add_option("--password-file", selection->passwordFile,
                        "Read the password from the first line of FILE ('-': standard input)")
            ->type_name("FILE")
            ->excludes(selection->passwordOption);
        command.add_option("--format", selection->format, "table, json or csv")
            ->check(CLI::IsMember({"table", "json", "csv"}))
            ->type_name("FORMAT");
        command
            .add_option("--phase-ms", selection->phaseMs,
                        "Half the time the device has to answer the probe (default 3000)")
            ->check(CLI::Range(1, 60000))
            ->type_name("MS");
        command.footer(
            "Without --password or --password-file the password is taken from CORVANE_PASSWORD, or "
            "asked on the terminal without echo.\nExit status: 0 when the information was read, 1 "
            "when the device did not answer or refused the login, 2 for a usage error.");
        return [selection] { return RunInfo(*selection); };
    },
});

} // namespace
