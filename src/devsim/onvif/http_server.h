#pragma once
// Serves the device service of every ONVIF device of the lab over HTTP:
// one server per port in use, each connection given to the device whose
// address it was made to.
#include "lab.h"
#include "onvif/device_service.h"
#include "onvif/upload_endpoints.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct MHD_Daemon;
struct MHD_Connection;

namespace onvifsim {

class HttpServer {
public:
    explicit HttpServer(const std::vector<SimDevice>& devices);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // false with a message on stderr when a port cannot be opened.
    bool Start();
    void Stop();

    // Called by the HTTP library for one finished request.
    int Answer(MHD_Connection* connection, const char* path, const char* method, const std::string& body,
               bool tooLarge);

    // The maintenance side: statePath (empty: none) keeps firmware versions
    // and restored settings in OnvifStatePath(statePath), read here;
    // rebootMs (< 0: each device's reboot-seconds) is the time away after a
    // firmware upgrade; onRestart(address, awayMs) is told of every restart
    // (awayMs < 0: the device stays away). Before Start.
    void SetMaintenance(const std::string& statePath, int rebootMs,
                        std::function<void(uint32_t address, int64_t awayMs)> onRestart);
    // The upload or download at path beside the device service, or null
    // (an ordinary request); null with refused set when the device is away.
    std::unique_ptr<FileEndpoint> OpenEndpoint(MHD_Connection* connection, const char* path,
                                               const char* method, bool& refused);
    int AnswerEndpoint(MHD_Connection* connection, FileEndpoint& endpoint);

private:
    struct Device {
        std::mutex mutex;
        DeviceServiceState state;
    };
    Device* DeviceOf(MHD_Connection* connection);
    // With the device locked: false while it restarts.
    static bool Present(const Device& device);
    // With the device locked, after each request: the restart an accepted
    // firmware asked for, and the state file.
    void AfterRequest(Device& device);
    int Send(MHD_Connection* connection, const ServiceResponse& response);

    std::string m_statePath;
    std::function<void(uint32_t, int64_t)> m_onRestart;
    std::mutex m_saveMutex;
    std::map<const Device*, SimDevice> m_saved; // what the state file holds
    std::vector<std::unique_ptr<Device>> m_devices;
    std::map<std::pair<uint32_t, uint16_t>, Device*> m_byAddress; // (address, port)
    std::vector<MHD_Daemon*> m_daemons;
};

} // namespace onvifsim
