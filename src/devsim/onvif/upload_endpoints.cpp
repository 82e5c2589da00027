#include "onvif/upload_endpoints.h"

namespace onvifsim {

bool IsFileEndpoint(std::string_view path) {
    return path == kBackupPath || path.starts_with("/onvif/upload/");
}

FileEndpoint::FileEndpoint(const ServiceRequest& head, DeviceServiceState& state, int64_t nowS)
    : m_path(head.path) {
    const MaintenanceState& maintenance = state.maintenance;
    if (head.path == kBackupPath && !state.device.onvif.noSystemUris) {
        m_kind = Kind::Backup;
        if (head.method != "GET") {
            m_refusal = ServiceResponse{405, "only GET\n", {}, 0};
        }
    } else if (!maintenance.firmwarePath.empty() && head.path == maintenance.firmwarePath) {
        m_kind = Kind::Firmware;
    } else if (!maintenance.restorePath.empty() && head.path == maintenance.restorePath) {
        m_kind = Kind::Restore;
    } else {
        m_refusal = ServiceResponse{404, "not found\n", {}, 0};
    }
    if (!m_refusal && m_kind != Kind::Backup && head.method != "POST") {
        m_refusal = ServiceResponse{405, "only POST\n", {}, 0};
    }
    if (!m_refusal) {
        m_refusal = AuthorizeHttp(head, state, nowS);
    }
}

void FileEndpoint::Take(const uint8_t* data, std::size_t size) {
    if (m_refusal) {
        return; // read and dropped
    }
    if (m_kind == Kind::Firmware) {
        m_firmware.Take(data, size);
    } else if (m_restore.size() + size > kMaxRestoreBytes) {
        m_tooLarge = true;
    } else {
        m_restore.append(reinterpret_cast<const char*>(data), size);
    }
}

ServiceResponse FileEndpoint::Finish(DeviceServiceState& state) {
    if (m_refusal) {
        return *m_refusal;
    }
    MaintenanceState& maintenance = state.maintenance;
    switch (m_kind) {
    case Kind::Backup: {
        ServiceResponse response{200, MakeBackupFile(state.device), {}, 0};
        response.contentType = "application/octet-stream";
        return response;
    }
    case Kind::Firmware: {
        maintenance.firmwarePath.clear(); // one upload per StartFirmwareUpgrade
        std::string version;
        if (m_firmware.Finish(ModelOf(state.device), version) != FirmwareCheck::Verdict::Good) {
            return {415, "unsupported firmware image\n", {}, 0};
        }
        state.device.texts.version = version;
        maintenance.restartRequested = true;
        return {200, "upgrading\n", {}, 0};
    }
    case Kind::Restore:
        maintenance.restorePath.clear();
        if (m_tooLarge) {
            return {413, "too large\n", {}, 0};
        }
        if (!ApplyBackupFile(m_restore, state.device)) {
            return {415, "not a backup of this device\n", {}, 0};
        }
        return {200, "restored\n", {}, 0};
    }
    return {500, "\n", {}, 0};
}

} // namespace onvifsim
