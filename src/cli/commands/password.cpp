// corvane-cli password: changes the login user's password on the devices.
#include "device_batch.h"
#include "util/tool.h"

namespace {

// The password panel's character rule and length limit.
int CheckPasswords(const DeviceSelection& selection, BatchRequest& request) {
    for (const std::string& text : {request.oldPassword, request.newPassword}) {
        std::string checked = text;
        if (!checked.empty() && !Tool::CheckPasswordChars(checked)) {
            return UsageError(selection.command, "the character \"" + checked + "\" is not allowed");
        }
        if (text.size() > 64) {
            return UsageError(selection.command, "at most 64 characters");
        }
    }
    return 0;
}

const CliCommandRegistration kRegistration(BatchCommand(
    "password", "Change the login user's password on the devices", BatchOperation::Password,
    [](CLI::App& command, BatchRequest& request) {
        command.add_option("--old", request.oldPassword, "The current password")->required();
        command.add_option("--new", request.newPassword, "The new password")->required();
    },
    CheckPasswords));

} // namespace
