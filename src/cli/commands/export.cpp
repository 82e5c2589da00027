// corvane-cli export: saves the devices' configuration to ".coi" files.
// --out names the file for one device; an existing folder takes one file
// per device, named from the firmware version and the time as the device
// list proposes it.
#include "command.h"
#include "device_batch.h"
#include "sdk/sdk.h"
#include "sdk/sdk_layout.h"

#include <cstdio>
#include <ctime>

namespace {

std::string ProposedName(const DeviceEntry& entry) {
    char version[64] = {};
    int length = 0;
    SDK_QueryDeviceInfo(entry.loginHandle, sdklayout::kInfoVersionItem, version, sizeof version, &length,
                        1000);
    std::string prefix(version);
    const auto build = prefix.find("Build:");
    prefix = build == std::string::npos ? std::string() : prefix.substr(0, build);
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d%02d%02d%02d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return entry.ip + "-" + prefix + "." + stamp + ".coi";
}

int Run(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    DeviceSelection selection;
    std::string out;
    if (!ParseSelection("export", args, selection) || !TakeOption(args, "--out", out) || !args.empty()) {
        std::fprintf(stderr,
                     "corvane-cli export: needs --out FILE.coi (or a folder) and the device options\n");
        return 2;
    }
    return SaveFromEachDevice(
        "export", selection, out, ProposedName, [](DeviceEntry& entry, const std::string& path) {
            const bool written = SDK_ExportConfig(entry.loginHandle, 0, path.c_str(), 0, 0) == 1;
            PrintResultLine(entry, written ? "info.operate_success" : "info.operate_fail");
            return written;
        });
}

const CliCommandRegistration kRegistration({
    "export",
    std::string("export ") + kSelectionUsage +
        " --out FILE.coi|FOLDER\n                               save the devices' configuration",
    Run,
});

} // namespace
