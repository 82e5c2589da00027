#pragma once
// The device service's setting operations: network, restarts, accounts,
// protocol ports and the clock. Each changes state.device (or leaves a
// change for the next restart in state.pending); bad values are refused
// with the faults ONVIF Core names.
#include "onvif/device_answers.h"

#include <string_view>

namespace onvifsim {

// The setting operation of this name, or null.
const Operation* FindSettingOperation(std::string_view name);

// The device's local time offset from UTC in seconds, from the standard
// part of a POSIX TZ text ("CET-1CEST,..." gives 3600); 0 when unreadable.
int64_t StandardOffsetOf(const std::string& tz);

} // namespace onvifsim
