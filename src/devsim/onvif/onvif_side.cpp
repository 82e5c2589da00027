#include "onvif/onvif_side.h"

#include "onvif/media_streams.h"
#include "onvif/onvif_state_file.h"
#include "platform/atomic_file.h"
#include "rtsp/stream_pipeline.h"

#include <fstream>
#include <iterator>
#include <span>

namespace onvifsim {

OnvifSide::OnvifSide(UdpResponder& responder, uint64_t seed, const std::string& statePath,
                     int firmwareRebootMs)
    : m_responder(responder), m_seed(seed), m_firmwareRebootMs(firmwareRebootMs),
      m_statePath(statePath.empty() ? "" : statePath + ".onvif") {}

OnvifSide::~OnvifSide() {
    Stop();
}

bool OnvifSide::Start() {
    const std::vector<SimDevice> lab = m_responder.Devices();
    m_devices = lab;
    if (!m_statePath.empty()) {
        std::ifstream file(m_statePath, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        ApplyOnvifState(m_devices, text);
        for (std::size_t i = 0; i < m_devices.size(); ++i) {
            if (m_devices[i].onvif.Speaks()) {
                ToNativeSide(i, m_devices[i]);
            }
        }
    }
    m_rtsp = std::make_unique<rtspsim::RtspServer>(m_devices);
    m_http = std::make_unique<HttpServer>(m_devices, &lab);
    m_http->SetFirmwareRebootMs(m_firmwareRebootMs);
    m_http->SetChangeListener([this](const DeviceChange& change) { OnChange(change); });
    m_http->SetSnapshotSource([](const SimDevice& device, const std::string& token) {
        const auto streams = MediaStreams(device);
        const MediaStream* stream = FindStream(streams, token);
        return stream != nullptr ? rtspsim::SnapshotJpeg(device.name, *stream) : std::string();
    });
    m_wsd = std::make_unique<WsdServer>(m_devices, m_seed);
    m_follower->side = this;
    m_responder.AddMoveListener([follower = m_follower](std::size_t labIndex, const SimDevice& native) {
        std::lock_guard lock(follower->mutex);
        if (follower->side != nullptr) {
            follower->side->FollowNative(labIndex, native);
        }
    });
    return m_rtsp->Start() && m_http->Start() && m_wsd->Start();
}

void OnvifSide::Stop() {
    {
        std::lock_guard lock(m_follower->mutex);
        m_follower->side = nullptr;
    }
    if (m_wsd) {
        m_wsd->Stop();
    }
    if (m_http) {
        m_http->Stop();
    }
    if (m_rtsp) {
        m_rtsp->Stop();
    }
}

void OnvifSide::ToNativeSide(std::size_t labIndex, const SimDevice& device) {
    m_responder.UpdateDevice(
        labIndex, [&device](SimDevice& native) { CopyNetworkSettings(native.fields, device.fields); });
}

void OnvifSide::OnChange(const DeviceChange& change) {
    m_wsd->Update(change.labIndex, change.device, change.restartMs);
    m_rtsp->Update(change.labIndex, change.device);
    ToNativeSide(change.labIndex, change.device);
    Remember(change.labIndex, change.device);
}

void OnvifSide::FollowNative(std::size_t labIndex, const SimDevice& native) {
    // A device of both families is one device: the address its native side
    // was given is its ONVIF side's too (it announces itself there).
    const std::optional<SimDevice> moved = m_http->FollowNetwork(labIndex, native.fields);
    if (!moved) {
        return;
    }
    m_wsd->Update(labIndex, *moved, 0);
    m_rtsp->Update(labIndex, *moved);
    Remember(labIndex, *moved);
}

void OnvifSide::Remember(std::size_t labIndex, const SimDevice& device) {
    std::lock_guard lock(m_mutex);
    if (labIndex >= m_devices.size()) {
        return;
    }
    m_devices[labIndex] = device;
    if (!m_statePath.empty()) {
        const std::string text = WriteOnvifState(m_devices);
        // Passwords stand in the file: for the owner only.
        platform::WriteFileAtomically(m_statePath,
                                      std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()),
                                      {.mode = 0600});
    }
}

} // namespace onvifsim
