// corvane-cli password: changes the login user's password on the devices.
#include "command.h"
#include "device_batch.h"
#include "search.h"
#include "util/tool.h"

#include <cstdio>

namespace {

int Run(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    DeviceSelection selection;
    BatchRequest request;
    request.operation = BatchOperation::Password;
    if (!ParseSelection("password", args, selection) || !TakeOption(args, "--old", request.oldPassword) ||
        !TakeOption(args, "--new", request.newPassword) || !args.empty()) {
        std::fprintf(stderr, "corvane-cli password: needs --old P --new P and the device options\n");
        return 2;
    }
    // The password panel's character rule and length limit.
    for (std::string text : {request.oldPassword, request.newPassword}) {
        if (!text.empty() && !Tool::CheckPasswordChars(text)) {
            std::fprintf(stderr, "corvane-cli password: the character \"%s\" is not allowed\n", text.c_str());
            return 2;
        }
    }
    if (request.newPassword.size() > 64 || request.oldPassword.size() > 64) {
        std::fprintf(stderr, "corvane-cli password: at most 64 characters\n");
        return 2;
    }
    DeviceTable devices = ResolveDevices("password", selection);
    if (devices.empty()) {
        return 1;
    }
    return RunDeviceBatch(selection, devices, std::move(request));
}

const CliCommandRegistration kRegistration({
    "password",
    std::string("password ") + kSelectionUsage +
        " --old P --new P\n                               change the login user's password",
    Run,
});

} // namespace
