#pragma once
// The RTSP streams of the lab's ONVIF devices on GStreamer's RTSP server:
// one server per RTSP port in use, listening on every address; each
// connection is handed to the device whose address it was made to (its
// streams and its users), as the HTTP side does. Each device offers
// rtsp://IP:PORT/main and /sub (media_streams.h), shared by all its
// clients, with RTSP digest authentication (realm "ONVIF") of the device's
// ONVIF users: the password a client changed over ONVIF counts from the
// next connection on. A stream's pipeline runs only while a client watches:
// it starts with the first and stops when the last one leaves.
#include "lab.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

typedef struct _GMainContext GMainContext;
typedef struct _GMainLoop GMainLoop;
typedef struct _GSource GSource;
typedef struct _GstRTSPServer GstRTSPServer;
typedef struct _GstRTSPClient GstRTSPClient;
typedef struct _GstRTSPMountPoints GstRTSPMountPoints;
typedef struct _GstRTSPAuth GstRTSPAuth;

namespace rtspsim {

struct StreamLabel;

class RtspServer {
public:
    // devices: the lab's devices; those that speak ONVIF get streams.
    explicit RtspServer(const std::vector<SimDevice>& devices);
    ~RtspServer();
    RtspServer(const RtspServer&) = delete;
    RtspServer& operator=(const RtspServer&) = delete;

    // false with a message on stderr (GStreamer missing, a port taken).
    bool Start();
    void Stop();
    // The device at this place of the lab is now so: its users, address
    // and RTSP port (enabled or not). Any thread.
    void Update(std::size_t labIndex, const SimDevice& device);
    // How many stream pipelines encode now.
    int Encoding() const { return m_encoding.load(); }

    // Called on the server's thread for each new connection.
    void Assign(GstRTSPClient* client);

private:
    struct Device;
    struct Listener {
        GstRTSPServer* server = nullptr;
        GSource* source = nullptr;
        GSource* sessions = nullptr; // ends the sessions of clients gone silent
    };
    bool OpenPort(uint16_t port); // with m_mutex held
    static std::pair<uint32_t, uint16_t> PlaceOf(const SimDevice& device);

    std::vector<std::unique_ptr<Device>> m_devices;
    std::mutex m_mutex; // guards the places, the listeners and each device's auth
    std::map<std::pair<uint32_t, uint16_t>, Device*> m_byPlace; // (address, RTSP port)
    std::map<uint16_t, Listener> m_listeners;
    GstRTSPMountPoints* m_nowhere = nullptr; // for connections to no device: 404
    GMainContext* m_context = nullptr;
    GMainLoop* m_loop = nullptr;
    std::thread m_thread;
    std::atomic<int> m_encoding{0};
    bool m_started = false;
};

} // namespace rtspsim
