#pragma once
// The SOAP services of a simulated ONVIF device (the device service and the
// media services) and its snapshots, as a pure function: one
// HTTP request (method, Authorization header, body) and the device's state
// in, the HTTP answer out. The HTTP server around it only moves bytes.
#include "lab.h"
#include "onvif/maintenance_state.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace onvifsim {

constexpr std::size_t kMaxRequestBytes = 64 * 1024;
// A request with MTOM attachments (a firmware image, a backup file).
constexpr std::size_t kMaxAttachmentRequestBytes = 80 * 1024 * 1024;
constexpr int64_t kLockSeconds = 60;

struct ServiceRequest {
    std::string method; // "POST"
    std::string path;   // "/onvif/device_service"
    std::string authorization;
    std::string body;
    bool tooLarge = false; // the body went past kMaxRequestBytes
    std::string contentType{};
};

struct ServiceResponse {
    int status = 200;
    std::string body;
    std::vector<std::string> challenges; // WWW-Authenticate values
    int delayMs = 0;                     // wait this long before answering
    std::string contentType{};           // empty: SOAP or plain text by status
    // Set for an accepted snapshot request: the HTTP server sends the
    // picture of this stream (its profile token) as the body.
    std::string snapshot{};
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
    MaintenanceState maintenance{};
};

// nowS: the true time, seconds since 1970 (the device adds its offset).
ServiceResponse HandleDeviceService(const ServiceRequest& request, DeviceServiceState& state, int64_t nowS);

// A plain HTTP request beside the service (an upload or a download): HTTP
// digest of an administrator, counted like the service's logins. nullopt
// when allowed, else the refusal to send.
std::optional<ServiceResponse> AuthorizeHttp(const ServiceRequest& request, DeviceServiceState& state,
                                             int64_t nowS);

} // namespace onvifsim
