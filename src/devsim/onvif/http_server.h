#pragma once
// Serves the device service of every ONVIF device of the lab over HTTP:
// one server per port in use, each connection given to the device whose
// address it was made to. A device that changes its address or port is
// served there from its next request on (a new port gets its server); a
// device that restarts leaves every request unanswered until it is back.
// Beside the service: the firmware and restore uploads and the backup
// download.
// Each change is told to the change listener.
#include "lab.h"
#include "onvif/device_service.h"
#include "onvif/upload_endpoints.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct MHD_Daemon;
struct MHD_Connection;

namespace onvifsim {

struct DeviceChange {
    std::size_t labIndex = 0; // the device's place in the lab
    SimDevice device;         // as it is now
    int restartMs = 0;        // > 0: the device restarts and is silent this long; < 0: for good
};
using ChangeListener = std::function<void(const DeviceChange&)>;
// The JPEG picture of a device's stream (its profile token) for a
// snapshot; empty when there is none.
using SnapshotSource = std::function<std::string(const SimDevice& device, const std::string& token)>;

class HttpServer {
public:
    // devices: the lab's devices as they are; factory: the same as the lab
    // file made them (what a factory default restores), or null for devices.
    explicit HttpServer(const std::vector<SimDevice>& devices,
                        const std::vector<SimDevice>* factory = nullptr);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // false with a message on stderr when a port cannot be opened.
    bool Start();
    void Stop();
    // Called on the HTTP threads, one change at a time per device. Set
    // before Start.
    void SetChangeListener(ChangeListener listener) { m_listener = std::move(listener); }
    // Called on the HTTP threads, without a lock. Set before Start.
    void SetSnapshotSource(SnapshotSource source) { m_snapshots = std::move(source); }

    // Device labIndex takes the address settings of fields (its native
    // side was given them): it answers at its new address from now on. Its
    // settings then, or nothing when it is no ONVIF device or was there.
    std::optional<SimDevice> FollowNetwork(std::size_t labIndex, const DiscoveryFields& fields);

    // Called by the HTTP library for one finished request.
    int Answer(MHD_Connection* connection, const char* path, const char* method, const std::string& body,
               bool tooLarge);

    // The time a device is away after an accepted firmware (< 0: each
    // device's reboot-seconds). Before Start.
    void SetFirmwareRebootMs(int rebootMs);
    // The upload or download at path beside the device service, or null
    // (an ordinary request); null with refused set when the device is away.
    std::unique_ptr<FileEndpoint> OpenEndpoint(MHD_Connection* connection, const char* path,
                                               const char* method, bool& refused);
    int AnswerEndpoint(MHD_Connection* connection, FileEndpoint& endpoint);

private:
    struct Device {
        std::mutex mutex;
        DeviceServiceState state;
        std::size_t labIndex = 0;
        int64_t awayUntilMs = 0; // restarting until then (steady clock); -1: for good
    };
    Device* Find(uint32_t address, uint16_t port);
    // The device (and its place) the connection was made to.
    Device* DeviceOf(MHD_Connection* connection, std::pair<uint32_t, uint16_t>& place);
    bool OpenPort(uint16_t port);
    // Serves the device at its new place when its address or port changed.
    void Move(Device& device, std::pair<uint32_t, uint16_t> from, std::pair<uint32_t, uint16_t> to);
    // With the device locked: false while it restarts.
    static bool Present(const Device& device);
    // With the device locked, after each request: the restart it asked for
    // (settings, or an accepted firmware), the move, and the change to tell
    // when the device is not what it was (before: its state lines then).
    std::optional<DeviceChange> AfterRequest(Device& device, std::pair<uint32_t, uint16_t> place,
                                             const std::string& before);
    void Tell(const std::optional<DeviceChange>& change);
    int Send(MHD_Connection* connection, const ServiceResponse& response);

    std::vector<std::unique_ptr<Device>> m_devices;
    std::mutex m_indexMutex; // guards the index and the servers
    // (address, port) to the devices there, the one that answers first:
    // devices that share an address take turns as on a real network, where
    // one of them wins the address and the next answers once it moved away.
    std::map<std::pair<uint32_t, uint16_t>, std::vector<Device*>> m_byAddress;
    std::map<uint16_t, MHD_Daemon*> m_daemons;
    bool m_started = false;
    ChangeListener m_listener;
    SnapshotSource m_snapshots;
};

} // namespace onvifsim
