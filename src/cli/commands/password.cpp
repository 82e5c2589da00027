// corvane-cli password: changes the login user's password on the devices.
// The old and the new password come from files, environment variables or
// the terminal (the new one typed twice), as the login password does;
// --old and --new put them in the process list and are for a lab only.
#include "credentials.h"
#include "device_batch.h"
#include "util/tool.h"

#include <array>

namespace {

// One password of the change: its option, its file option and the rest of
// where it may come from.
struct SecretOption {
    const char* flag;        // "--old"
    const char* environment; // "CORVANE_OLD_PASSWORD"
    const char* what;        // "current password"
    bool confirm;
    CLI::Option* plain = nullptr;
    std::string file;
};

std::array<SecretOption, 2>& Options() {
    // One command line per process.
    static std::array<SecretOption, 2> options{{
        {"--old", "CORVANE_OLD_PASSWORD", "current password", false, nullptr, {}},
        {"--new", "CORVANE_NEW_PASSWORD", "new password", true, nullptr, {}},
    }};
    return options;
}

void AddSecretOptions(CLI::App& command, SecretOption& option, std::string& value) {
    const std::string flag = option.flag;
    option.plain =
        command
            .add_option(flag, value,
                        "The " + std::string(option.what) +
                            ". Visible to every user of this machine in the process list: prefer " + flag +
                            "-file, " + option.environment + " or the prompt")
            ->group("Passwords");
    command
        .add_option(flag + "-file", option.file,
                    "Read the " + std::string(option.what) +
                        " from the first line of FILE ('-': standard input)")
        ->type_name("FILE")
        ->excludes(option.plain)
        ->group("Passwords");
}

// The passwords by their sources, then the password panel's character rule
// and length limit.
int CheckPasswords(const DeviceSelection& selection, BatchRequest& request) {
    std::string* values[] = {&request.oldPassword, &request.newPassword};
    for (std::size_t i = 0; i < Options().size(); ++i) {
        const SecretOption& option = Options()[i];
        PasswordSources sources;
        sources.optionGiven = option.plain != nullptr && option.plain->count() > 0;
        sources.option = *values[i];
        sources.file = option.file;
        sources.environment = option.environment;
        sources.prompt = "The " + std::string(option.what) + " of " + selection.user;
        sources.confirm = option.confirm;
        sources.fileOption = std::string(option.flag) + "-file";
        sources.plainOption = option.flag;
        std::string error;
        if (!FindPassword(sources, *values[i], error)) {
            return UsageError(selection.command, error);
        }
    }
    for (const std::string* text : values) {
        std::string checked = *text;
        if (!checked.empty() && !Tool::CheckPasswordChars(checked)) {
            return UsageError(selection.command, "the character \"" + checked + "\" is not allowed");
        }
        if (text->size() > 64) {
            return UsageError(selection.command, "at most 64 characters");
        }
    }
    return 0;
}

const CliCommandRegistration kRegistration(BatchCommand(
    "password", "Change the login user's password on the devices", BatchOperation::Password,
    [](CLI::App& command, BatchRequest& request) {
        AddSecretOptions(command, Options()[0], request.oldPassword);
        AddSecretOptions(command, Options()[1], request.newPassword);
    },
    CheckPasswords));

} // namespace
