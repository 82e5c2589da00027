// corvane-cli model: changes the model text of the devices (block 191) and
// reads it back, as the model dialog does for one device.
#include "command.h"
#include "device_batch.h"
#include "operate/device_steps.h"

#include <memory>

namespace {

// The model dialog's rules: 1..19 bytes of printable ASCII without a double
// quote, apostrophe, question mark or backslash.
bool ValidModel(const std::string& model) {
    if (model.empty() || model.size() >= 20) {
        return false;
    }
    for (const char c : model) {
        if (c < 0x20 || c > 0x7E || c == '"' || c == '\'' || c == '?' || c == '\\') {
            return false;
        }
    }
    return true;
}

struct Arguments {
    DeviceSelection selection;
    std::string model;
};

int Run(Arguments& arguments) {
    if (!ValidModel(arguments.model)) {
        return UsageError("model", "1 to 19 printable characters, without \" ' ? \\");
    }
    if (const int status = CompleteSelection(arguments.selection); status != 0) {
        return status;
    }
    DeviceTable devices = ResolveDevices(arguments.selection);
    if (devices.empty()) {
        return 1;
    }
    return ForEachDevice(arguments.selection, devices,
                         [&](DeviceEntry& entry, const DeviceLogin& login, std::string& key) {
                             const bool changed = ChangeModel(entry, login, arguments.model) == 1;
                             key = changed ? "info.operate_success" : "info.operate_fail";
                             return changed;
                         });
}

const CliCommandRegistration kRegistration({
    "model",
    "Change the devices' model text",
    [](CLI::App& command) -> std::function<int()> {
        auto arguments = std::make_shared<Arguments>();
        AddDeviceOptions(command, arguments->selection);
        command.add_option("--set", arguments->model, "The new model text")->required()->type_name("NAME");
        return [arguments] { return Run(*arguments); };
    },
});

} // namespace
