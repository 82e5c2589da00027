#include "device_batch.h"

#include "credentials.h"
#include "discovery/discovery_source.h"
#include "lang/tool_language.h"
#include "onvif/family_link.h"
#include "operate/device_actions.h"
#include "sdk/sdk.h"
#include "search.h"
#include "support/device_match.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <set>
#include <sstream>

namespace {

class OptionPrompt : public ILoginPrompt {
public:
    explicit OptionPrompt(const DeviceSelection& selection) : m_selection(selection) {}
    bool AskCredentials(const LoginPromptRequest&, std::string& user, std::string& password) override {
        user = m_selection.user;
        password = m_selection.password;
        return true;
    }

private:
    const DeviceSelection& m_selection;
};

OutputFormat FormatOf(const DeviceSelection& selection) {
    return ParseOutputFormat(selection.format).value_or(OutputFormat::Table);
}

std::vector<const DeviceEntry*> Entries(const DeviceTable& devices) {
    std::vector<const DeviceEntry*> entries;
    for (const auto& [mac, entry] : devices) {
        entries.push_back(&entry);
    }
    return entries;
}

// Turns the engine's reports into the command's output; the outcome, never
// the text, decides success.
class ReportingObserver : public IBatchObserver {
public:
    explicit ReportingObserver(BatchOutput& output) : m_output(output) {}

    void OnDeviceReport(const DeviceEntry& entry, const DeviceReport& report) override {
        switch (report.outcome) {
        case BatchOutcome::Progress:
            m_output.Progress(entry, report.percent);
            return;
        case BatchOutcome::Success:
            m_output.Result(entry, DeviceOutcome::Success, CliText(report.key));
            return;
        case BatchOutcome::Failure:
            m_output.Result(entry, DeviceOutcome::Failure, CliText(report.key));
            return;
        case BatchOutcome::LoginFailed:
            m_output.Result(entry, DeviceOutcome::LoginFailed, LoginFailureText(report.loginError));
            return;
        case BatchOutcome::Cancelled:
            m_output.Result(entry, DeviceOutcome::Cancelled, std::string());
            return;
        }
    }
    void OnRecordsChanged() override {}
    void OnBatchEnded(BatchOperation, bool) override {}

private:
    BatchOutput& m_output;
};

const char* VerbOf(BatchOperation operation) {
    switch (operation) {
    case BatchOperation::Upgrade:
        return "upgrading";
    case BatchOperation::ConfigImport:
        return "importing into";
    default:
        return "working on";
    }
}

// The ONVIF family works with the devices only it found.
void AddOnvifFamily(OperateContext& context) {
    onvif::AddFamilyLink(context.links, onvif::CreateCurlTransport());
}

bool ReadMacList(const std::string& file, std::vector<std::string>& macs, std::string& error) {
    std::string text;
    if (file == "-") {
        text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    } else {
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            error = "cannot read " + file;
            return false;
        }
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (!ParseMacList(text, macs, error)) {
        error = file + ": " + error;
        return false;
    }
    return true;
}

} // namespace

void AddDeviceOptions(CLI::App& command, DeviceSelection& selection) {
    selection.command = command.get_name();
    const std::string devices = "Devices";
    CLI::Option* all =
        command.add_flag("--all", selection.all, "Every device the search finds")->group(devices);
    CLI::Option* match = command
                             .add_option("--match", selection.patterns,
                                         "Devices whose address, MAC address or model matches PATTERN ('*' "
                                         "for any text); may be repeated")
                             ->type_name("PATTERN")
                             ->group(devices);
    CLI::Option* mac =
        command.add_option("--mac", selection.macs, "The device with this MAC address; may be repeated")
            ->type_name("MAC")
            ->group(devices);
    CLI::Option* macsFrom = command
                                .add_option("--macs-from", selection.macsFrom,
                                            "The devices listed in FILE, one MAC address a line ('-': "
                                            "standard input)")
                                ->type_name("FILE")
                                ->group(devices);
    // A mistyped address is a usage error at once, not a search that finds nothing.
    CLI::Option* ip = command.add_option("--ip", selection.ip, "The device at this address")
                          ->check(CLI::ValidIPV4)
                          ->type_name("ADDRESS")
                          ->group(devices);
    command
        .add_option("--port", selection.port,
                    "With --ip: the device's TCP port, and no search (default: the "
                    "port the search reports)")
        ->check(CLI::Range(1, 65535))
        ->needs(ip)
        ->group(devices);
    all->excludes(match)->excludes(mac)->excludes(macsFrom)->excludes(ip);
    ip->excludes(match)->excludes(mac)->excludes(macsFrom);

    const std::string login = "Login";
    command.add_option("--user", selection.user, "User name (default: admin)")->group(login);
    selection.passwordOption =
        command
            .add_option("--password", selection.password,
                        "Password. Visible to every user of this machine in the process list: prefer "
                        "--password-file, CORVANE_PASSWORD or the prompt")
            ->group(login);
    command
        .add_option("--password-file", selection.passwordFile,
                    "Read the password from the first line of FILE ('-': standard input)")
        ->type_name("FILE")
        ->excludes(selection.passwordOption)
        ->group(login);

    command
        .add_option("--format", selection.format,
                    "How the results are written: one line per device, or "
                    "JSON or CSV records (address, MAC, outcome, text)")
        ->check(CLI::IsMember({"table", "json", "csv"}))
        ->type_name("FORMAT");
    command
        .add_option("--family", selection.family,
                    "Which device families the search looks for: native, onvif or all (default)")
        ->check(CLI::IsMember({"native", "onvif", "all"}))
        ->type_name("FAMILY")
        ->group(devices);
    command.add_option("--phase-ms", selection.phaseMs, "Length of each search phase (default 3000)")
        ->check(CLI::Range(1, 60000))
        ->type_name("MS");
    command.footer("Without --password or --password-file the password is taken from CORVANE_PASSWORD, or "
                   "asked on the terminal without echo.\nExit status: 0 when every device succeeded, 1 when "
                   "any failed, 2 for a usage error.");
}

int CompleteSelection(DeviceSelection& selection) {
    std::string error;
    if (selection.macsFrom == "-" && selection.passwordFile == "-") {
        return UsageError(selection.command,
                          "--macs-from and --password-file cannot both read standard input");
    }
    if (!selection.macsFrom.empty()) {
        const std::size_t given = selection.macs.size();
        if (!ReadMacList(selection.macsFrom, selection.macs, error)) {
            return UsageError(selection.command, error);
        }
        if (selection.macs.size() == given) {
            return UsageError(selection.command, selection.macsFrom + " lists no MAC address");
        }
    }
    if (!selection.all && selection.patterns.empty() && selection.macs.empty() && selection.ip.empty()) {
        return UsageError(selection.command,
                          "choose the devices with --all, --match, --mac, --macs-from or --ip (see --help)");
    }
    PasswordSources sources;
    sources.optionGiven = selection.passwordOption != nullptr && selection.passwordOption->count() > 0;
    sources.option = selection.password;
    sources.file = selection.passwordFile;
    sources.prompt = "Password for " + selection.user;
    if (!FindPassword(sources, selection.password, error)) {
        return UsageError(selection.command, error);
    }
    return 0;
}

DeviceTable ResolveDevices(const DeviceSelection& selection) {
    // Loads the language for the result lines, and the customer codes.
    const CliDiscoverySettings settings = LoadCliDiscoverySettings();
    SDK_SetCustomer(settings.customerCodes.c_str());
    SdkSetUpgradeTransfers(settings.upgradeTransfers);
    DeviceTable chosen;
    if (!selection.ip.empty() && selection.port != 0) {
        DeviceEntry entry;
        entry.mac = selection.ip; // no search: the address is the key
        entry.ip = selection.ip;
        entry.tcpPort = static_cast<uint16_t>(selection.port);
        entry.operations = NativeOperations(0); // a device reached by its SDK port is a native one
        chosen[entry.mac] = entry;
        return chosen;
    }
    SearchOptions options;
    options.customerCodes = settings.customerCodes;
    AddFamilySources(selection.family, options);
    if (selection.phaseMs > 0) {
        SetSearchPhase(selection.phaseMs, options.timing);
    }
    const SearchResult found = RunSearchWithProgress(options);
    std::set<std::string> wantedMacs;
    for (const std::string& mac : selection.macs) {
        wantedMacs.insert(MacKey(mac));
    }
    std::set<std::string> foundMacs;
    for (const auto& [mac, entry] : found.devices) {
        const std::string key = MacKey(mac);
        // A reference of its own: clang 14 cannot capture a structured binding.
        const DeviceEntry& device = entry;
        const bool byPattern = std::any_of(
            selection.patterns.begin(), selection.patterns.end(), [&device](const std::string& pattern) {
                return MatchesDevice(pattern, device.ip, device.mac, device.model);
            });
        if (selection.all || byPattern || wantedMacs.count(key) != 0 ||
            (!selection.ip.empty() && entry.ip == selection.ip)) {
            chosen[mac] = entry;
            foundMacs.insert(key);
        }
    }
    std::vector<std::string> missing;
    for (const std::string& mac : selection.macs) {
        if (foundMacs.count(MacKey(mac)) == 0) {
            missing.push_back(mac);
        }
    }
    if (!missing.empty()) {
        std::string list;
        for (const std::string& mac : missing) {
            list += (list.empty() ? "" : ", ") + mac;
        }
        std::fprintf(stderr, "corvane-cli %s: %zu devices did not answer the search: %s\n",
                     selection.command.c_str(), missing.size(), list.c_str());
        return {};
    }
    if (!selection.ip.empty() && chosen.empty()) {
        std::fprintf(stderr, "corvane-cli %s: no device at %s answered the search\n",
                     selection.command.c_str(), selection.ip.c_str());
    } else if (chosen.empty()) {
        std::fprintf(stderr, "corvane-cli %s: no device %s\n", selection.command.c_str(),
                     selection.all ? "answered the search" : "matches");
    }
    return chosen;
}

int RunDeviceBatch(const DeviceSelection& selection, DeviceTable& devices, BatchRequest request) {
    OptionPrompt prompt(selection);
    BatchOutput output(FormatOf(selection), VerbOf(request.operation), Entries(devices));
    ReportingObserver observer(output);
    OperateContext context;
    AddOnvifFamily(context);
    {
        BatchEngine engine(prompt, observer, context);
        for (auto& [mac, entry] : devices) {
            request.devices.push_back(&entry);
        }
        if (!engine.Start(std::move(request))) {
            return 1;
        }
        // The watchdog fails a silent upgrade within a minute; the wait is
        // only a last guard.
        engine.WaitIdle(24 * 60 * 60 * 1000);
    }
    context.logins.EndAll();
    return output.Finish();
}

std::string LoginFailureText(int loginError) {
    std::string text = CliText("info.Login_fail");
    // The table is indexed by the error code + 1; codes without a key keep
    // the general text.
    if (const int index = LoginErrorTextIndex(loginError); index >= 0) {
        Tool::LoginErrorText(index, text);
    }
    return text;
}

int ForEachDevice(const DeviceSelection& selection, DeviceTable& devices, const DeviceStep& step) {
    BatchOutput output(FormatOf(selection), "working on", Entries(devices));
    OptionPrompt prompt(selection);
    OperateContext context;
    AddOnvifFamily(context);
    for (auto& [mac, entry] : devices) {
        BatchCredentials credentials;
        int error = 0;
        DeviceLink& link = context.links.LinkFor(entry);
        if (BatchLogin(entry, link, context.logins, credentials, prompt, error) != 1) {
            output.Result(entry, DeviceOutcome::LoginFailed, LoginFailureText(error));
            continue;
        }
        std::string key = "info.operate_fail";
        const std::optional<DeviceLogin> login = context.logins.Find(DeviceKey(entry));
        const bool succeeded = login && step(entry, *login, key);
        output.Result(entry, succeeded ? DeviceOutcome::Success : DeviceOutcome::Failure, CliText(key));
    }
    context.logins.EndAll();
    return output.Finish();
}

int SaveFromEachDevice(const DeviceSelection& selection, const std::string& out,
                       const std::function<std::string(const DeviceEntry&, const DeviceLogin&)>& nameInFolder,
                       const std::function<bool(DeviceEntry&, const DeviceLogin&, const std::string& path,
                                                std::string& key)>& save) {
    const bool folder = std::filesystem::is_directory(out);
    DeviceTable devices = ResolveDevices(selection);
    if (devices.empty()) {
        return 1;
    }
    if (!folder && devices.size() > 1) {
        return UsageError(selection.command, "several devices need --out to be a folder");
    }
    std::FILE* paths = FormatOf(selection) == OutputFormat::Table ? stdout : stderr;
    return ForEachDevice(
        selection, devices, [&](DeviceEntry& entry, const DeviceLogin& login, std::string& key) {
            const std::string path =
                folder ? (std::filesystem::path(out) / nameInFolder(entry, login)).string() : out;
            const bool written = save(entry, login, path, key);
            if (written && folder) {
                std::fprintf(paths, "%s\n", path.c_str());
            }
            return written;
        });
}

CliCommand BatchCommand(std::string name, std::string description, BatchOperation operation,
                        std::function<void(CLI::App&, BatchRequest&)> addOptions,
                        std::function<int(const DeviceSelection&, BatchRequest&)> check) {
    struct Arguments {
        DeviceSelection selection;
        BatchRequest request;
    };
    return CliCommand{
        std::move(name), std::move(description), [=](CLI::App& command) -> std::function<int()> {
            auto arguments = std::make_shared<Arguments>();
            arguments->request.operation = operation;
            AddDeviceOptions(command, arguments->selection);
            if (addOptions) {
                addOptions(command, arguments->request);
            }
            return [arguments, check] {
                // The login password first: a check may ask for more.
                if (const int status = CompleteSelection(arguments->selection); status != 0) {
                    return status;
                }
                if (check) {
                    if (const int status = check(arguments->selection, arguments->request); status != 0) {
                        return status;
                    }
                }
                DeviceTable devices = ResolveDevices(arguments->selection);
                if (devices.empty()) {
                    return 1;
                }
                return RunDeviceBatch(arguments->selection, devices, arguments->request);
            };
        }};
}
