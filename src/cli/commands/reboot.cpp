// corvane-cli reboot: restart the devices (they log out and come back after
// their restart).
#include "device_batch.h"

namespace {

const CliCommandRegistration kRegistration(
    BatchCommand("reboot", "Restart the devices (they log out and come back after their restart)",
                 BatchOperation::Reboot, nullptr, nullptr));

} // namespace
