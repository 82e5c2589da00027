// corvane-cli upgrade: firmware upgrade of the devices, with a progress bar
// per device on a terminal and plain lines otherwise.
#include "command.h"
#include "device_batch.h"

#include <cstdio>

namespace {

int Run(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    DeviceSelection selection;
    BatchRequest request;
    request.operation = BatchOperation::Upgrade;
    if (!ParseSelection("upgrade", args, selection) || !TakeOption(args, "--file", request.path) ||
        !args.empty()) {
        std::fprintf(stderr, "corvane-cli upgrade: needs --file F and the device options\n");
        return 2;
    }
    DeviceTable devices = ResolveDevices("upgrade", selection);
    if (devices.empty()) {
        return 1;
    }
    return RunDeviceBatch(selection, devices, std::move(request));
}

const CliCommandRegistration kRegistration({
    "upgrade",
    std::string("upgrade ") + kSelectionUsage +
        " --file F\n                               upgrade the devices' firmware",
    Run,
});

} // namespace
