// corvane-cli import: loads a ".coi" configuration file into the devices;
// each device restarts with it.
#include "command.h"
#include "device_batch.h"

#include <cstdio>

namespace {

int Run(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    DeviceSelection selection;
    BatchRequest request;
    request.operation = BatchOperation::ConfigImport;
    if (!ParseSelection("import", args, selection) || !TakeOption(args, "--file", request.path) ||
        !args.empty()) {
        std::fprintf(stderr, "corvane-cli import: needs --file F.coi and the device options\n");
        return 2;
    }
    DeviceTable devices = ResolveDevices("import", selection);
    if (devices.empty()) {
        return 1;
    }
    return RunDeviceBatch(selection, devices, std::move(request));
}

const CliCommandRegistration kRegistration({
    "import",
    std::string("import ") + kSelectionUsage +
        " --file F.coi\n                               load a configuration file into the devices",
    Run,
});

} // namespace
