// corvane-cli model: changes the model text of the devices (block 191) and
// reads it back, as the model dialog does for one device.
#include "command.h"
#include "device_batch.h"
#include "operate/device_steps.h"

#include <cstdio>

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

int Run(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    DeviceSelection selection;
    std::string model;
    if (!ParseSelection("model", args, selection) || !TakeOption(args, "--set", model) || !args.empty()) {
        std::fprintf(stderr, "corvane-cli model: needs --set NAME and the device options\n");
        return 2;
    }
    if (!ValidModel(model)) {
        std::fprintf(stderr, "corvane-cli model: 1 to 19 printable characters, without \" ' ? \\\n");
        return 2;
    }
    DeviceTable devices = ResolveDevices("model", selection);
    if (devices.empty()) {
        return 1;
    }
    bool failed = false;
    for (auto& [mac, entry] : devices) {
        if (!LoginForCommand(selection, entry)) {
            failed = true;
            continue;
        }
        const bool changed = ChangeModel(entry, model) == 1;
        PrintResultLine(entry, changed ? "info.operate_success" : "info.operate_fail");
        failed = failed || !changed;
    }
    LogoutAll(devices);
    return failed ? 1 : 0;
}

const CliCommandRegistration kRegistration({
    "model",
    std::string("model ") + kSelectionUsage +
        " --set NAME\n                               change the devices' model text",
    Run,
});

} // namespace
