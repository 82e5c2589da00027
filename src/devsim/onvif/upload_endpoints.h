#pragma once
// The HTTP addresses beside the device service: the firmware and restore
// uploads StartFirmwareUpgrade and StartSystemRestore hand out, and the
// backup download GetSystemUris names. Each request is one FileEndpoint
// from its headers to its answer; a firmware image is checked as it
// arrives and never kept (only its header), whatever its size.
#include "onvif/device_service.h"
#include "onvif/firmware_answers.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace onvifsim {

bool IsFileEndpoint(std::string_view path);

class FileEndpoint {
public:
    // head: the request without its body. Called with the device's state
    // locked (it checks the login and the address handed out).
    FileEndpoint(const ServiceRequest& head, DeviceServiceState& state, int64_t nowS);

    // A piece of the body; needs no lock.
    void Take(const uint8_t* data, std::size_t size);
    // The answer, once the body is in; with the device's state locked.
    ServiceResponse Finish(DeviceServiceState& state);

private:
    enum class Kind { Firmware, Restore, Backup };
    static constexpr std::size_t kMaxRestoreBytes = 1024 * 1024;

    Kind m_kind = Kind::Backup;
    std::string m_path;
    std::optional<ServiceResponse> m_refusal;
    FirmwareCheck m_firmware;
    std::string m_restore;
    bool m_tooLarge = false;
};

} // namespace onvifsim
