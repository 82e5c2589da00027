// corvane-cli reset: restore the devices' factory settings (they restart).
#include "device_batch.h"

namespace {

const CliCommandRegistration
    kRegistration(BatchCommand("reset", "Restore the devices' factory settings (they restart)",
                               BatchOperation::FactoryDefault, nullptr, nullptr));

} // namespace
