// corvane-cli reset: restore the devices' factory settings (they restart)
#include "command.h"
#include "device_batch.h"

#include <cstdio>

namespace {

int Run(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    DeviceSelection selection;
    if (!ParseSelection("reset", args, selection)) {
        return 2;
    }
    if (!args.empty()) {
        std::fprintf(stderr, "corvane-cli reset: unknown argument \"%s\"\n", args.front().c_str());
        return 2;
    }
    DeviceTable devices = ResolveDevices("reset", selection);
    if (devices.empty()) {
        return 1;
    }
    BatchRequest request;
    request.operation = BatchOperation::FactoryDefault;
    return RunDeviceBatch(selection, devices, std::move(request));
}

const CliCommandRegistration kRegistration({
    "reset",
    std::string("reset ") + kSelectionUsage +
        "\n                               restore the devices' factory settings (they restart)",
    Run,
});

} // namespace
