// corvane-cli reset: restore the devices' factory settings (they restart).
// With --keep-network the devices keep their network settings; devices whose
// family can only reset everything are then left alone and reported as not
// supported.
#include "device_batch.h"

namespace {

const CliCommandRegistration kRegistration(BatchCommand(
    "reset", "Restore the devices' factory settings (they restart)", BatchOperation::FactoryDefault,
    [](CLI::App& command, BatchRequest& request) {
        command.add_flag("--keep-network", request.keepNetwork,
                         "Keep the devices' network settings (devices that cannot are left alone)");
    },
    nullptr));

} // namespace
