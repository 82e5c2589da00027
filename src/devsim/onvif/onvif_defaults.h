#pragma once
// The values an ONVIF device takes when the lab leaves them out, built
// from the rest of the device (MAC, name, model, address).
#include "lab.h"

#include <string>
#include <string_view>
#include <vector>

std::string OnvifEndpoint(const SimDevice& device);
std::vector<std::string> OnvifScopes(const SimDevice& device);
// Probe match types as QNames with the prefixes dn: and tds:.
std::vector<std::string> OnvifTypes(const SimDevice& device);
// "http://IP[:PORT]/onvif/device_service" unless xaddr overrides it.
std::string OnvifXAddrs(const SimDevice& device);
std::string OnvifServiceUrl(const SimDevice& device);
// "http://IP[:PORT]" and path: an address the device serves over HTTP.
std::string OnvifHttpUrl(const SimDevice& device, std::string_view path);
std::vector<OnvifUser> OnvifUsers(const SimDevice& device);
std::string OnvifManufacturer(const SimDevice& device);
std::string OnvifSerial(const SimDevice& device);
std::string OnvifHardwareId(const SimDevice& device);
std::string OnvifHostname(const SimDevice& device);
const char* OnvifLevelName(OnvifUserLevel level);
// Percent-escapes what may not stand in one path segment of a scope.
std::string ScopeSegment(const std::string& text);
