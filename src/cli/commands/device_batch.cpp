#include "device_batch.h"

#include "sdk/sdk.h"
#include "search.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <unistd.h>

const char* const kSelectionUsage =
    "(--ip A [--port P] | --mac M [--mac M ...]) [--user U] [--password P] [--phase-ms MS]";

namespace {

std::string MacKey(const std::string& text) {
    std::string kept;
    for (const char c : text) {
        if (std::isxdigit(static_cast<unsigned char>(c)) != 0) {
            kept += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    return kept;
}

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

// Prints the batch's lines as they come; on a terminal the upgrade progress
// is one bar per device on a status line, otherwise plain "ip  N%" lines.
class PrintingObserver : public IBatchObserver {
public:
    PrintingObserver() : m_terminal(isatty(STDOUT_FILENO) != 0) {}

    void OnDeviceReport(const DeviceEntry& entry, const DeviceReport& report) override {
        std::lock_guard lock(m_mutex);
        const std::string text = ReportLine(entry, report, CliText);
        if (report.outcome == BatchOutcome::Progress) {
            if (!m_terminal) {
                std::printf("%s\n", text.c_str());
            } else {
                m_progress[entry.ip] = report.percent;
                DrawBars();
            }
            std::fflush(stdout);
            return;
        }
        m_progress.erase(entry.ip);
        if (m_terminal) {
            std::printf("\r\033[K");
        }
        if (!text.empty()) {
            std::printf("%s\n", text.c_str());
        }
        if (m_terminal && !m_progress.empty()) {
            DrawBars();
        }
        std::fflush(stdout);
        if (report.outcome != BatchOutcome::Success) {
            m_failed = true;
        }
    }
    void OnLoginState(const std::string&, bool) override {}
    void OnPortsChanged() override {}
    void OnBatchEnded(BatchOperation, bool completed) override {
        std::lock_guard lock(m_mutex);
        if (!completed) {
            m_failed = true;
        }
    }
    bool Failed() {
        std::lock_guard lock(m_mutex);
        return m_failed;
    }

private:
    void DrawBars() {
        std::string line = "\r\033[K";
        for (const auto& [ip, percent] : m_progress) {
            const int filled = percent / 5;
            line += ip + " [" + std::string(static_cast<std::size_t>(filled), '#') +
                    std::string(static_cast<std::size_t>(20 - filled), ' ') + "] " + std::to_string(percent) +
                    "%  ";
        }
        std::printf("%s", line.c_str());
    }

    std::mutex m_mutex;
    bool m_terminal;
    bool m_failed = false;
    std::map<std::string, int> m_progress;
};

} // namespace

bool TakeOption(std::vector<std::string>& args, const std::string& name, std::string& value) {
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == name) {
            value = args[i + 1];
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                       args.begin() + static_cast<std::ptrdiff_t>(i + 2));
            return true;
        }
    }
    return false;
}

bool ParseSelection(const std::string& command, std::vector<std::string>& args, DeviceSelection& selection) {
    std::string value;
    while (TakeOption(args, "--mac", value)) {
        selection.macs.push_back(value);
    }
    TakeOption(args, "--ip", selection.ip);
    if (TakeOption(args, "--port", value)) {
        selection.port = std::atoi(value.c_str());
        if (selection.port < 1 || selection.port > 65535) {
            std::fprintf(stderr, "corvane-cli %s: --port is 1..65535\n", command.c_str());
            return false;
        }
    }
    TakeOption(args, "--user", selection.user);
    TakeOption(args, "--password", selection.password);
    if (TakeOption(args, "--phase-ms", value)) {
        selection.phaseMs = std::atoi(value.c_str());
        if (selection.phaseMs <= 0 || selection.phaseMs > 60000) {
            std::fprintf(stderr, "corvane-cli %s: --phase-ms is 1..60000\n", command.c_str());
            return false;
        }
    }
    if (selection.ip.empty() == selection.macs.empty()) {
        std::fprintf(stderr, "corvane-cli %s: give either --ip or one or more --mac\n", command.c_str());
        return false;
    }
    return true;
}

DeviceTable ResolveDevices(const std::string& command, const DeviceSelection& selection) {
    // Loads the language for the result lines, and the customer codes.
    const CliDiscoverySettings settings = LoadCliDiscoverySettings();
    SDK_SetCustomer(settings.customerCodes.c_str());
    DeviceTable chosen;
    if (!selection.ip.empty() && selection.port != 0) {
        DeviceEntry entry;
        entry.mac = selection.ip; // no search: the address is the key
        entry.ip = selection.ip;
        entry.tcpPort = static_cast<uint16_t>(selection.port);
        chosen[entry.mac] = entry;
        return chosen;
    }
    SearchOptions options;
    options.customerCodes = settings.customerCodes;
    if (selection.phaseMs > 0) {
        std::vector<std::string> phase{"--phase-ms", std::to_string(selection.phaseMs)};
        std::size_t index = 0;
        ParsePhaseOption(phase, index, options.timing);
    }
    const SearchResult found = RunSearch(options);
    for (const auto& [mac, entry] : found.devices) {
        // clang 14 cannot capture a structured binding in a lambda.
        const std::string key = MacKey(mac);
        const bool wanted = selection.ip.empty()
                                ? std::any_of(selection.macs.begin(), selection.macs.end(),
                                              [&key](const std::string& m) { return MacKey(m) == key; })
                                : entry.ip == selection.ip;
        if (wanted) {
            chosen[mac] = entry;
        }
    }
    const std::size_t expected = selection.ip.empty() ? selection.macs.size() : 1;
    if (chosen.size() < expected) {
        std::fprintf(stderr, "corvane-cli %s: %zu of %zu devices answered the search\n", command.c_str(),
                     chosen.size(), expected);
        return {};
    }
    return chosen;
}

int RunDeviceBatch(const DeviceSelection& selection, DeviceTable& devices, BatchRequest request) {
    OptionPrompt prompt(selection);
    PrintingObserver observer;
    RecordLeases leases;
    {
        BatchEngine engine(prompt, observer, leases);
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
    LogoutAll(devices);
    return observer.Failed() ? 1 : 0;
}

bool LoginForCommand(const DeviceSelection& selection, DeviceEntry& entry) {
    OptionPrompt prompt(selection);
    BatchCredentials credentials;
    int error = 0;
    if (BatchLogin(entry, credentials, prompt, nullptr, error) == 1) {
        return true;
    }
    PrintResultLine(entry, "info.Login_fail");
    return false;
}

void PrintResultLine(const DeviceEntry& entry, const std::string& key) {
    std::printf("%s  %s\n", entry.ip.c_str(), CliText(key).c_str());
    std::fflush(stdout);
}

void LogoutAll(DeviceTable& devices) {
    for (auto& [mac, entry] : devices) {
        if (entry.loggedIn) {
            SDK_Logout(entry.loginHandle);
            entry.loggedIn = 0;
            entry.loginHandle = 0;
        }
    }
}

int SaveFromEachDevice(const std::string& command, const DeviceSelection& selection, const std::string& out,
                       const std::function<std::string(const DeviceEntry&)>& nameInFolder,
                       const std::function<bool(DeviceEntry&, const std::string& path)>& save) {
    const bool folder = std::filesystem::is_directory(out);
    DeviceTable devices = ResolveDevices(command, selection);
    if (devices.empty()) {
        return 1;
    }
    if (!folder && devices.size() > 1) {
        std::fprintf(stderr, "corvane-cli %s: several devices need --out to be a folder\n", command.c_str());
        return 2;
    }
    bool failed = false;
    for (auto& [mac, entry] : devices) {
        if (!LoginForCommand(selection, entry)) {
            failed = true;
            continue;
        }
        const std::string path = folder ? (std::filesystem::path(out) / nameInFolder(entry)).string() : out;
        const bool written = save(entry, path);
        if (written && folder) {
            std::printf("%s\n", path.c_str());
        }
        failed = failed || !written;
    }
    LogoutAll(devices);
    return failed ? 1 : 0;
}
