// corvane-cli upgrade: firmware upgrade of the devices, with the progress
// redrawn in place on a terminal and plain lines otherwise.
#include "device_batch.h"

namespace {

const CliCommandRegistration kRegistration(BatchCommand(
    "upgrade", "Upgrade the devices' firmware", BatchOperation::Upgrade,
    [](CLI::App& command, BatchRequest& request) {
        command.add_option("--file", request.path, "The firmware image")
            ->required()
            ->check(CLI::ExistingFile)
            ->type_name("FILE");
    },
    nullptr));

} // namespace
