// corvane-cli reboot: restart the devices (they log out and come back after their restart)
#include "command.h"
#include "device_batch.h"

#include <cstdio>

namespace {

int Run(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    DeviceSelection selection;
    if (!ParseSelection("reboot", args, selection)) {
        return 2;
    }
    if (!args.empty()) {
        std::fprintf(stderr, "corvane-cli reboot: unknown argument \"%s\"\n", args.front().c_str());
        return 2;
    }
    DeviceTable devices = ResolveDevices("reboot", selection);
    if (devices.empty()) {
        return 1;
    }
    BatchRequest request;
    request.operation = BatchOperation::Reboot;
    return RunDeviceBatch(selection, devices, std::move(request));
}

const CliCommandRegistration kRegistration({
    "reboot",
    std::string("reboot ") + kSelectionUsage +
        "\n                               restart the devices (they log out and come back after their "
        "restart)",
    Run,
});

} // namespace
