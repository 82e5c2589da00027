#include "onvif/http_server.h"

#include "onvif/onvif_state_file.h"
#include "onvif/sim_multipart.h"
#include "platform/atomic_file.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <microhttpd.h>
#include <netinet/in.h>
#include <random>
#include <set>
#include <sstream>
#include <sys/socket.h>
#include <thread>

namespace onvifsim {

namespace {

struct Upload {
    std::string body;
    bool tooLarge = false;
    std::size_t limit = kMaxRequestBytes;
    std::unique_ptr<FileEndpoint> endpoint; // an upload or download beside the service
};

MHD_Result OnRequest(void* self, MHD_Connection* connection, const char* url, const char* method, const char*,
                     const char* data, size_t* dataSize, void** context) {
    auto* server = static_cast<HttpServer*>(self);
    if (*context == nullptr) {
        auto upload = std::make_unique<Upload>();
        if (IsFileEndpoint(url)) {
            bool refused = false;
            upload->endpoint = server->OpenEndpoint(connection, url, method, refused);
            if (refused) {
                return MHD_NO; // restarting: the connection just closes
            }
        }
        const char* type =
            MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_CONTENT_TYPE);
        if (type != nullptr && IsMultipart(type)) {
            upload->limit = kMaxAttachmentRequestBytes;
        }
        *context = upload.release();
        return MHD_YES;
    }
    auto* upload = static_cast<Upload*>(*context);
    if (*dataSize > 0) {
        if (upload->endpoint) {
            upload->endpoint->Take(reinterpret_cast<const uint8_t*>(data), *dataSize);
        } else if (upload->body.size() + *dataSize > upload->limit) {
            upload->tooLarge = true; // keep reading, but not keeping
        } else {
            upload->body.append(data, *dataSize);
        }
        *dataSize = 0;
        return MHD_YES;
    }
    if (upload->endpoint) {
        return static_cast<MHD_Result>(server->AnswerEndpoint(connection, *upload->endpoint));
    }
    return static_cast<MHD_Result>(server->Answer(connection, url, method, upload->body, upload->tooLarge));
}

void OnFinished(void*, MHD_Connection*, void** context, MHD_RequestTerminationCode) {
    delete static_cast<Upload*>(*context);
    *context = nullptr;
}

} // namespace

HttpServer::HttpServer(const std::vector<SimDevice>& devices) {
    std::random_device entropy;
    const std::string secret = std::to_string(entropy()) + "." + std::to_string(entropy());
    for (const SimDevice& device : devices) {
        if (!device.onvif.Speaks()) {
            continue;
        }
        auto entry = std::make_unique<Device>();
        entry->state.device = device;
        entry->state.nonceSecret = secret;
        entry->state.maintenance.rebootMs = int64_t{device.rebootSeconds} * 1000;
        m_byAddress[{device.fields.ip, device.onvif.port}] = entry.get();
        m_devices.push_back(std::move(entry));
    }
}

HttpServer::~HttpServer() {
    Stop();
}

bool HttpServer::Start() {
    std::set<uint16_t> ports;
    for (const auto& [key, device] : m_byAddress) {
        ports.insert(key.second);
    }
    for (const uint16_t port : ports) {
        // poll(), not select(): with thousands of devices the SDK side's
        // sockets alone take descriptors past select()'s limit.
        MHD_Daemon* daemon = MHD_start_daemon(
            MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_THREAD_PER_CONNECTION | MHD_USE_POLL, port, nullptr,
            nullptr, &OnRequest, this, MHD_OPTION_NOTIFY_COMPLETED, &OnFinished, nullptr,
            MHD_OPTION_CONNECTION_TIMEOUT, 10u, MHD_OPTION_CONNECTION_LIMIT, 512u, MHD_OPTION_END);
        if (daemon == nullptr) {
            std::fprintf(stderr, "corvane-devsim: cannot open the device service's HTTP port %u\n", port);
            return false;
        }
        m_daemons.push_back(daemon);
    }
    return true;
}

void HttpServer::Stop() {
    for (MHD_Daemon* daemon : m_daemons) {
        MHD_stop_daemon(daemon);
    }
    m_daemons.clear();
}

HttpServer::Device* HttpServer::DeviceOf(MHD_Connection* connection) {
    // The device is the address the client connected to.
    const MHD_ConnectionInfo* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (info == nullptr || getsockname(info->connect_fd, reinterpret_cast<sockaddr*>(&local), &length) != 0 ||
        local.sin_family != AF_INET) {
        return nullptr;
    }
    const auto found = m_byAddress.find({ntohl(local.sin_addr.s_addr), ntohs(local.sin_port)});
    return found == m_byAddress.end() ? nullptr : found->second;
}

namespace {

ServiceRequest RequestHead(MHD_Connection* connection, const char* path, const char* method) {
    ServiceRequest request;
    request.method = method;
    request.path = path;
    const char* authorization =
        MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_AUTHORIZATION);
    request.authorization = authorization == nullptr ? "" : authorization;
    const char* type = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_CONTENT_TYPE);
    request.contentType = type == nullptr ? "" : type;
    return request;
}

} // namespace

int HttpServer::Answer(MHD_Connection* connection, const char* path, const char* method,
                       const std::string& body, bool tooLarge) {
    Device* device = DeviceOf(connection);
    ServiceResponse response{404, "no such device\n", {}, 0};
    if (device != nullptr) {
        ServiceRequest request = RequestHead(connection, path, method);
        request.body = body;
        request.tooLarge = tooLarge;
        std::lock_guard lock(device->mutex);
        if (!Present(*device)) {
            return MHD_NO;
        }
        response = HandleDeviceService(request, device->state, static_cast<int64_t>(std::time(nullptr)));
        AfterRequest(*device);
    }
    return Send(connection, response);
}

std::unique_ptr<FileEndpoint> HttpServer::OpenEndpoint(MHD_Connection* connection, const char* path,
                                                       const char* method, bool& refused) {
    Device* device = DeviceOf(connection);
    if (device == nullptr) {
        return nullptr;
    }
    std::lock_guard lock(device->mutex);
    refused = !Present(*device);
    if (refused) {
        return nullptr;
    }
    return std::make_unique<FileEndpoint>(RequestHead(connection, path, method), device->state,
                                          static_cast<int64_t>(std::time(nullptr)));
}

int HttpServer::AnswerEndpoint(MHD_Connection* connection, FileEndpoint& endpoint) {
    Device* device = DeviceOf(connection);
    if (device == nullptr) {
        return MHD_NO;
    }
    ServiceResponse response;
    {
        std::lock_guard lock(device->mutex);
        response = endpoint.Finish(device->state);
        AfterRequest(*device);
    }
    return Send(connection, response);
}

int HttpServer::Send(MHD_Connection* connection, const ServiceResponse& response) {
    if (response.delayMs > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(response.delayMs));
    }
    MHD_Response* reply =
        MHD_create_response_from_buffer(response.body.size(), const_cast<char*>(response.body.data()),
                                        MHD_RESPMEM_MUST_COPY); // copied: never written
    const bool soap =
        response.status == 200 || response.status == 400 || response.status == 401 || response.status == 500;
    const char* type = soap ? "application/soap+xml; charset=utf-8" : "text/plain";
    MHD_add_response_header(reply, MHD_HTTP_HEADER_CONTENT_TYPE,
                            response.contentType.empty() ? type : response.contentType.c_str());
    for (const std::string& challenge : response.challenges) {
        MHD_add_response_header(reply, MHD_HTTP_HEADER_WWW_AUTHENTICATE, challenge.c_str());
    }
    const MHD_Result queued = MHD_queue_response(connection, static_cast<unsigned>(response.status), reply);
    MHD_destroy_response(reply);
    return queued;
}

namespace {

int64_t SteadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

void HttpServer::SetMaintenance(const std::string& statePath, int rebootMs,
                                std::function<void(uint32_t, int64_t)> onRestart) {
    m_statePath = statePath;
    m_onRestart = std::move(onRestart);
    for (const auto& device : m_devices) {
        if (rebootMs >= 0) {
            device->state.maintenance.rebootMs = rebootMs;
        }
    }
    if (m_statePath.empty()) {
        return;
    }
    std::ifstream file(OnvifStatePath(m_statePath));
    std::stringstream text;
    text << file.rdbuf();
    std::vector<SimDevice*> devices;
    for (const auto& device : m_devices) {
        devices.push_back(&device->state.device);
    }
    ApplyOnvifState(text.str(), devices);
    for (const auto& device : m_devices) {
        m_saved[device.get()] = device->state.device;
    }
}

bool HttpServer::Present(const Device& device) {
    const int64_t away = device.state.maintenance.awayUntilMs;
    return away == 0 || (away > 0 && SteadyMs() >= away);
}

void HttpServer::AfterRequest(Device& device) {
    MaintenanceState& maintenance = device.state.maintenance;
    if (maintenance.restartRequested) {
        maintenance.restartRequested = false;
        const SimDevice& sim = device.state.device;
        const int64_t awayMs = sim.onvif.staysDownAfterUpgrade ? -1 : maintenance.rebootMs;
        maintenance.awayUntilMs = awayMs < 0 ? -1 : SteadyMs() + std::max<int64_t>(awayMs, 1);
        if (m_onRestart) {
            m_onRestart(sim.fields.ip, awayMs);
        }
    }
    if (maintenance.changed && !m_statePath.empty()) {
        maintenance.changed = false;
        // The file holds every device: the others' last saved values are
        // the copies kept here, so no other device's lock is needed.
        std::lock_guard save(m_saveMutex);
        m_saved[&device] = device.state.device;
        std::vector<const SimDevice*> devices;
        for (const auto& [owner, saved] : m_saved) {
            devices.push_back(&saved);
        }
        const std::string text = WriteOnvifState(devices);
        platform::AtomicWriteOptions options;
        options.mode = 0600;
        platform::WriteFileAtomically(OnvifStatePath(m_statePath),
                                      std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()),
                                      options);
    }
}

} // namespace onvifsim
