#pragma once
// Serves the device service of every ONVIF device of the lab over HTTP:
// one server per port in use, each connection given to the device whose
// address it was made to.
#include "lab.h"
#include "onvif/device_service.h"

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

private:
    struct Device {
        std::mutex mutex;
        DeviceServiceState state;
    };
    std::vector<std::unique_ptr<Device>> m_devices;
    std::map<std::pair<uint32_t, uint16_t>, Device*> m_byAddress; // (address, port)
    std::vector<MHD_Daemon*> m_daemons;
};

} // namespace onvifsim
