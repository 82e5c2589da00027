#pragma once
// The simulator's ONVIF side: the device and media services over HTTP,
// WS-Discovery and the RTSP streams for the lab's ONVIF devices, kept in
// step. What a device's service changes reaches its WS-Discovery (new
// address, restarts, also after a firmware upgrade), its RTSP streams
// (address, port, users), its native side (address, mask, gateway, DNS,
// DHCP) and the state file; a new address its native side was given
// reaches its ONVIF side.
#include "onvif/http_server.h"
#include "onvif/wsd_server.h"
#include "rtsp/rtsp_server.h"
#include "udp_responder.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace onvifsim {

class OnvifSide {
public:
    // statePath: the simulator's --state file (empty: none); the ONVIF
    // devices keep theirs in statePath + ".onvif". firmwareRebootMs: the
    // time away after an accepted firmware (< 0: each device's
    // reboot-seconds).
    OnvifSide(UdpResponder& responder, uint64_t seed, const std::string& statePath,
              int firmwareRebootMs = -1);
    ~OnvifSide();
    OnvifSide(const OnvifSide&) = delete;
    OnvifSide& operator=(const OnvifSide&) = delete;

    // The device service first, so a client that hears a Hello finds the
    // service there. false with a message on stderr.
    bool Start();
    // Bye from every ONVIF device, then the service stops.
    void Stop();

private:
    void OnChange(const DeviceChange& change);
    void ToNativeSide(std::size_t labIndex, const SimDevice& device);
    void FollowNative(std::size_t labIndex, const SimDevice& native);
    void Remember(std::size_t labIndex, const SimDevice& device);

    // The native side's moves reach this side only while it serves: the
    // responder may outlive it.
    struct Follower {
        std::mutex mutex;
        OnvifSide* side = nullptr;
    };

    UdpResponder& m_responder;
    uint64_t m_seed;
    int m_firmwareRebootMs;
    std::string m_statePath;
    std::mutex m_mutex; // guards m_devices and the state file
    std::vector<SimDevice> m_devices;
    std::unique_ptr<HttpServer> m_http;
    std::unique_ptr<WsdServer> m_wsd;
    std::unique_ptr<rtspsim::RtspServer> m_rtsp;
    std::shared_ptr<Follower> m_follower = std::make_shared<Follower>();
};

} // namespace onvifsim
