// corvane-cli password: changes the login user's password on the devices.
// The old and the new password come from files, environment variables or
// the terminal (the new one typed twice), as the login password does;
// --old and --new put them in the process list and are for a lab only.
#include "credentials.h"
#include "device_batch.h"
#include "util/tool.h"

namespace {

struct PasswordOptions {
    CLI::Option* old = nullptr;
    CLI::Option* fresh = nullptr;
    std::string oldFile;
    std::string newFile;
};

PasswordOptions& Options() {
    static PasswordOptions options; // one command line per process
    return options;
}

int FindBoth(const DeviceSelection& selection, BatchRequest& request) {
    PasswordOptions& options = Options();
    PasswordSources old;
    old.optionGiven = options.old != nullptr && options.old->count() > 0;
    old.option = request.oldPassword;
    old.file = options.oldFile;
    old.environment = "CORVANE_OLD_PASSWORD";
    old.prompt = "Current password of " + selection.user;
    old.fileOption = "--old-file";
    old.plainOption = "--old";
    PasswordSources fresh;
    fresh.optionGiven = options.fresh != nullptr && options.fresh->count() > 0;
    fresh.option = request.newPassword;
    fresh.file = options.newFile;
    fresh.environment = "CORVANE_NEW_PASSWORD";
    fresh.prompt = "New password of " + selection.user;
    fresh.confirm = true;
    fresh.fileOption = "--new-file";
    fresh.plainOption = "--new";
    std::string error;
    if (!FindPassword(old, request.oldPassword, error) || !FindPassword(fresh, request.newPassword, error)) {
        return UsageError(selection.command, error);
    }
    return 0;
}

// The passwords by their sources, then the password panel's character rule
// and length limit.
int CheckPasswords(const DeviceSelection& selection, BatchRequest& request) {
    if (const int status = FindBoth(selection, request); status != 0) {
        return status;
    }
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
        PasswordOptions& options = Options();
        const std::string group = "Passwords";
        const char* visible = ". Visible to every user of this machine in the process list: prefer ";
        options.old = command
                          .add_option("--old", request.oldPassword,
                                      std::string("The current password") + visible +
                                          "--old-file, CORVANE_OLD_PASSWORD or the prompt")
                          ->group(group);
        command
            .add_option("--old-file", options.oldFile,
                        "Read the current password from the first line of FILE ('-': standard input)")
            ->type_name("FILE")
            ->excludes(options.old)
            ->group(group);
        options.fresh = command
                            .add_option("--new", request.newPassword,
                                        std::string("The new password") + visible +
                                            "--new-file, CORVANE_NEW_PASSWORD or the prompt")
                            ->group(group);
        command
            .add_option("--new-file", options.newFile,
                        "Read the new password from the first line of FILE ('-': standard input)")
            ->type_name("FILE")
            ->excludes(options.fresh)
            ->group(group);
    },
    CheckPasswords));

} // namespace
