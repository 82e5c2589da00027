// corvane-cli import: loads a ".coi" configuration file into the devices;
// each device restarts with it.
#include "device_batch.h"

namespace {

const CliCommandRegistration kRegistration(BatchCommand(
    "import", "Load a configuration file into the devices (they restart)", BatchOperation::ConfigImport,
    [](CLI::App& command, BatchRequest& request) {
        command.add_option("--file", request.path, "The configuration file (.coi)")
            ->required()
            ->check(CLI::ExistingFile)
            ->type_name("FILE.coi");
    },
    nullptr));

} // namespace
