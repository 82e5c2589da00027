#pragma once
// The lab file's ONVIF keys of a [device] section (docs/lab-file.md,
// "ONVIF"): reading one key and writing a device's keys back.
#include "lab.h"

#include <optional>
#include <string>

// Applies one key; nullopt when it is not an ONVIF key, false for a bad value.
std::optional<bool> ApplyOnvifKey(SimDevice& device, const std::string& key, const std::string& value);
// The device's ONVIF keys as lab-file lines; empty for a native-only device.
std::string OnvifLabLines(const SimDevice& device);
