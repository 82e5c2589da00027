// corvane-cli export: saves the devices' configuration to ".coi" files.
// --out names the file for one device; an existing folder takes one file
// per device, named from the firmware version and the time as the device
// list proposes it.
#include "command.h"
#include "device_batch.h"
#include "operate/device_actions.h"

#include <cstdio>
#include <ctime>
#include <memory>

namespace {

std::string ProposedName(const DeviceEntry& entry, const DeviceLogin& login) {
    const std::string version =
        login.link != nullptr ? login.link->FirmwareVersion(entry, login) : std::string();
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    // The address first: a batch exports many devices into one folder.
    return SafeFileNamePart(entry.ip) + "-" + ProposeExportName(version, entry.model, entry.ip, local);
}

struct Arguments {
    DeviceSelection selection;
    std::string out;
};

int Run(Arguments& arguments) {
    if (const int status = CompleteSelection(arguments.selection); status != 0) {
        return status;
    }
    return SaveFromEachDevice(
        arguments.selection, arguments.out, ProposedName,
        [](DeviceEntry& entry, const DeviceLogin& login, const std::string& path, std::string& key) {
            const bool written = login.link != nullptr && login.link->ExportConfig(entry, login, path, key);
            if (written) {
                key = "info.operate_success";
            } else if (key.empty()) {
                key = "info.operate_fail";
            }
            return written;
        });
}

const CliCommandRegistration kRegistration({
    "export",
    "Save the devices' configuration",
    [](CLI::App& command) -> std::function<int()> {
        auto arguments = std::make_shared<Arguments>();
        AddDeviceOptions(command, arguments->selection);
        command.add_option("--out", arguments->out, "The file for one device, or a folder for one file each")
            ->required()
            ->type_name("FILE.coi|FOLDER");
        return [arguments] { return Run(*arguments); };
    },
});

} // namespace
