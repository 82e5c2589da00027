#pragma once
// The device service's operations: what each needs (its access class) and
// the body of its answer. Read operations only look at the state; setting
// operations change state.device.
#include "onvif/device_service.h"

#include <pugixml.hpp>
#include <string>
#include <string_view>

namespace onvifsim {

// Access classes of the device service; each user level holds a set.
enum class AccessClass {
    PreAuth,
    ReadSystem,
    ReadSystemSensitive,
    ReadSystemSecret,
    WriteSystem,
    Unrecoverable
};

struct OperationResult {
    std::string body;                // the element inside env:Body
    const char* faultCode = nullptr; // set for a fault: "env:Sender" / "env:Receiver"
    const char* faultSubcode = nullptr;
    const char* faultReason = nullptr;
    std::string attachment{}; // sent as an MTOM attachment with this content id
    std::string attachmentId{};
};

using OperationHandler = OperationResult (*)(const pugi::xml_node& request, DeviceServiceState& state,
                                             int64_t deviceNowS);

struct Operation {
    AccessClass access;
    OperationHandler handler;
};

// The operation of this name, or null when the device does not have it.
const Operation* FindOperation(std::string_view name);
bool LevelMayUse(OnvifUserLevel level, AccessClass access);

} // namespace onvifsim
