#pragma once
// The device service of a simulated ONVIF device as a pure function: one
// HTTP request (method, Authorization header, body) and the device's state
// in, the HTTP answer out. The HTTP server around it only moves bytes.
#include "lab.h"

#include <cstdint>
#include <string>
#include <vector>

namespace onvifsim {

constexpr std::size_t kMaxRequestBytes = 64 * 1024;
constexpr int64_t kLockSeconds = 60;

struct ServiceRequest {
    std::string method; // "POST"
    std::string path;   // "/onvif/device_service"
    std::string authorization;
    std::string body;
    bool tooLarge = false; // the body went past kMaxRequestBytes
};

struct ServiceResponse {
    int status = 200;
    std::string body;
    std::vector<std::string> challenges; // WWW-Authenticate values
    int delayMs = 0;                     // wait this long before answering
};

// What one device keeps between requests. Operations that change the
// device write here; the failure count and lock guard its accounts.
struct DeviceServiceState {
    SimDevice device;
    std::string nonceSecret; // binds the digest nonces to this run
    int failures = 0;        // wrong passwords in a row
    int64_t lockedUntilS = 0;
    SimDevice factory;    // the device as the lab made it: what a factory default restores
    OnvifPending pending; // what the device does after its answer or at its restart
};

// nowS: the true time, seconds since 1970 (the device adds its offset).
ServiceResponse HandleDeviceService(const ServiceRequest& request, DeviceServiceState& state, int64_t nowS);

} // namespace onvifsim
