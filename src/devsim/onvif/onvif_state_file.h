#pragma once
// What the ONVIF side of the lab's devices changed (firmware version,
// restored settings), kept beside the lab's state file as "<state>.onvif"
// so a simulator started again plays the devices as they were left. One
// line per value, "MAC|field|value", fields version and location; values
// keep printable ASCII without "|" (anything else becomes "?").
#include "lab.h"

#include <string>
#include <vector>

namespace onvifsim {

std::string OnvifStatePath(const std::string& statePath);
std::string WriteOnvifState(const std::vector<const SimDevice*>& devices);
// Applies the file's lines to the devices of the same MAC; lines that
// cannot be read are skipped.
void ApplyOnvifState(const std::string& text, std::vector<SimDevice*>& devices);

} // namespace onvifsim
