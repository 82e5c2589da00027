#pragma once
// What the ONVIF devices' service changed (network settings, HTTP, HTTPS
// and RTSP ports, users and passwords, clock and NTP settings, firmware
// version, the location a restored backup set), kept in a file beside the
// simulator's --state file ("FILE.onvif") so a simulator started again
// plays the devices as they were left. One line per value,
// "MAC|key|value", values escaped as in lab files. The passwords stand
// there as they are (HTTP digest and WS-Security need them): the file is
// for the owner only.
#include "lab.h"

#include <string>
#include <vector>

namespace onvifsim {

// The changeable values of one device as "key|value" lines.
std::string OnvifStateLines(const SimDevice& device);
// The lines of every ONVIF device of the lab, each with its MAC.
std::string WriteOnvifState(const std::vector<SimDevice>& devices);
// Gives each device (by MAC) what the text saved for it; lines that cannot
// be read are skipped.
void ApplyOnvifState(std::vector<SimDevice>& devices, const std::string& text);

} // namespace onvifsim
