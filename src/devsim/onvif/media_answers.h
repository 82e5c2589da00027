#pragma once
// The media services of a simulated ONVIF device: Media2 (ver20) and
// Media1 (ver10), each describing the device's two streams (media_streams.h)
// as profiles, with their RTSP and snapshot addresses. Media1's encoding
// enumeration has no H.265: an H.265 stream stands there as "H265" all the
// same, as many devices do, so a client should ask Media2 first.
#include "onvif/device_answers.h"

#include <string_view>

namespace onvifsim {

// The operation of this name in the media service of namespace ns
// (kMedia1Ns or kMedia2Ns), or null.
const Operation* FindMediaOperation(std::string_view ns, std::string_view name);

// The XAddr entries of the device's media services, for GetCapabilities
// (Media1 only: Media2 is found through GetServices) and GetServices.
std::string MediaCapabilitiesEntry(const SimDevice& device);
std::string MediaServicesEntries(const SimDevice& device, bool includeCapability);

} // namespace onvifsim
