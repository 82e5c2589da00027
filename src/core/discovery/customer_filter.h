#pragma once
// Drops the devices of other customers after each search.
#include "discovery/device_entry.h"

#include <string_view>

// customerCodes: the configured codes, five characters each, written one
// after another. When they contain "C0000" every device stays. Otherwise a
// device stays when its code is exactly "C0000" or occurs anywhere in
// customerCodes (an empty code always does); every other device is removed.
void ApplyCustomerFilter(DeviceTable& devices, std::string_view customerCodes);
