#pragma once
// The lab's state file: what the SDK side of each device changed (users and
// passwords, ports, model, firmware version), so a simulator started again
// with the same file plays the devices as they were left. One line per
// value, "MAC|field|value", fields tcp-port, web-port, rtsp-port, model,
// version, salt (32 hex digits), key (value "name|64 hex digits": the user's
// derived key) and lab-user (value "name": the password is still the lab
// file's); values escape "\", "|" and bytes outside printable ASCII as \xNN.
// Files of the first version had user lines ("name|password"); they are
// read, and the next save replaces them by keys.
#include "devsim/sdk/sim_device.h"

#include <map>
#include <optional>
#include <string>

namespace devsim {

using SavedStates = std::map<std::string, SimSdkSnapshot>; // by MAC text

std::string WriteStateText(const SavedStates& states);
// Lines that cannot be read are skipped (a damaged file never stops the lab).
SavedStates ReadStateText(const std::string& text);

} // namespace devsim
