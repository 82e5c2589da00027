#include "onvif/http_server.h"

#include "onvif/onvif_state_file.h"
#include "onvif/sim_multipart.h"

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <limits>
#include <microhttpd.h>
#include <netinet/in.h>
#include <optional>
#include <random>
#include <set>
#include <sys/socket.h>
#include <thread>

namespace onvifsim {

namespace {

int64_t SteadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

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

HttpServer::HttpServer(const std::vector<SimDevice>& devices, const std::vector<SimDevice>* factory) {
    std::random_device entropy;
    const std::string secret = std::to_string(entropy()) + "." + std::to_string(entropy());
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const SimDevice& device = devices[i];
        if (!device.onvif.Speaks()) {
            continue;
        }
        auto entry = std::make_unique<Device>();
        entry->state.device = device;
        entry->state.factory = factory != nullptr && i < factory->size() ? (*factory)[i] : device;
        entry->state.nonceSecret = secret;
        entry->state.maintenance.rebootMs = int64_t{device.rebootSeconds} * 1000;
        entry->labIndex = i;
        m_byAddress[{device.fields.ip, device.onvif.port}].push_back(entry.get());
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
    std::lock_guard lock(m_indexMutex);
    m_started = true;
    for (const uint16_t port : ports) {
        if (!OpenPort(port)) {
            std::fprintf(stderr, "corvane-devsim: cannot open the device service's HTTP port %u\n", port);
            return false;
        }
    }
    return true;
}

bool HttpServer::OpenPort(uint16_t port) {
    if (m_daemons.count(port) != 0) {
        return true;
    }
    // poll(), not select(): with thousands of devices the SDK side's
    // sockets alone take descriptors past select()'s limit.
    MHD_Daemon* daemon = MHD_start_daemon(
        MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_THREAD_PER_CONNECTION | MHD_USE_POLL, port, nullptr,
        nullptr, &OnRequest, this, MHD_OPTION_NOTIFY_COMPLETED, &OnFinished, nullptr,
        MHD_OPTION_CONNECTION_TIMEOUT, 10u, MHD_OPTION_CONNECTION_LIMIT, 512u, MHD_OPTION_END);
    if (daemon == nullptr) {
        return false;
    }
    m_daemons[port] = daemon;
    return true;
}

void HttpServer::Stop() {
    std::map<uint16_t, MHD_Daemon*> daemons;
    {
        std::lock_guard lock(m_indexMutex);
        daemons.swap(m_daemons);
        m_started = false;
    }
    for (const auto& [port, daemon] : daemons) {
        MHD_stop_daemon(daemon);
    }
}

void HttpServer::SetFirmwareRebootMs(int rebootMs) {
    for (const auto& device : m_devices) {
        device->state.maintenance.rebootMs =
            rebootMs >= 0 ? rebootMs : int64_t{device->state.device.rebootSeconds} * 1000;
    }
}

HttpServer::Device* HttpServer::Find(uint32_t address, uint16_t port) {
    std::lock_guard lock(m_indexMutex);
    const auto found = m_byAddress.find({address, port});
    return found == m_byAddress.end() || found->second.empty() ? nullptr : found->second.front();
}

void HttpServer::Move(Device& device, std::pair<uint32_t, uint16_t> from, std::pair<uint32_t, uint16_t> to) {
    if (from == to) {
        return;
    }
    std::lock_guard lock(m_indexMutex);
    if (const auto old = m_byAddress.find(from); old != m_byAddress.end()) {
        std::vector<Device*>& there = old->second;
        there.erase(std::remove(there.begin(), there.end(), &device), there.end());
        if (there.empty()) {
            m_byAddress.erase(old);
        }
    }
    m_byAddress[to].push_back(&device);
    if (m_started && !OpenPort(to.second)) {
        std::fprintf(stderr, "corvane-devsim: cannot open the device service's HTTP port %u\n", to.second);
    }
}

std::optional<SimDevice> HttpServer::FollowNetwork(std::size_t labIndex, const DiscoveryFields& fields) {
    for (const auto& device : m_devices) {
        if (device->labIndex != labIndex) {
            continue;
        }
        std::lock_guard lock(device->mutex);
        DiscoveryFields& now = device->state.device.fields;
        if (now.ip == fields.ip) {
            return std::nullopt;
        }
        const std::pair<uint32_t, uint16_t> from{now.ip, device->state.device.onvif.port};
        CopyNetworkSettings(now, fields);
        Move(*device, from, {now.ip, from.second});
        return device->state.device;
    }
    return std::nullopt;
}

HttpServer::Device* HttpServer::DeviceOf(MHD_Connection* connection, std::pair<uint32_t, uint16_t>& place) {
    // The device is the address the client connected to.
    const MHD_ConnectionInfo* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (info == nullptr || getsockname(info->connect_fd, reinterpret_cast<sockaddr*>(&local), &length) != 0 ||
        local.sin_family != AF_INET) {
        return nullptr;
    }
    place = {ntohl(local.sin_addr.s_addr), ntohs(local.sin_port)};
    return Find(place.first, place.second);
}

bool HttpServer::Present(const Device& device) {
    return device.awayUntilMs == 0 || (device.awayUntilMs > 0 && SteadyMs() >= device.awayUntilMs);
}

std::optional<DeviceChange> HttpServer::AfterRequest(Device& device, std::pair<uint32_t, uint16_t> place,
                                                     const std::string& before) {
    DeviceServiceState& state = device.state;
    const SimDevice& now = state.device;
    int restartMs = state.pending.restart ? now.onvif.rebootMs : 0;
    if (state.maintenance.restartRequested) {
        restartMs = now.onvif.staysDownAfterUpgrade
                        ? -1
                        : static_cast<int>(std::clamp<int64_t>(state.maintenance.rebootMs, 1,
                                                               std::numeric_limits<int>::max()));
    }
    state.pending.restart = false;
    state.maintenance.restartRequested = false;
    device.awayUntilMs = restartMs < 0 ? -1 : restartMs > 0 ? SteadyMs() + restartMs : 0;
    Move(device, place, {now.fields.ip, now.onvif.port});
    if (restartMs != 0 || OnvifStateLines(now) != before) {
        return DeviceChange{device.labIndex, now, restartMs};
    }
    return std::nullopt;
}

void HttpServer::Tell(const std::optional<DeviceChange>& change) {
    if (change && m_listener) {
        m_listener(*change);
    }
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
    std::pair<uint32_t, uint16_t> place;
    Device* device = DeviceOf(connection, place);
    ServiceResponse response{404, "no such device\n", {}, 0};
    if (device != nullptr) {
        ServiceRequest request = RequestHead(connection, path, method);
        request.body = body;
        request.tooLarge = tooLarge;
        std::optional<DeviceChange> change;
        SimDevice pictured;
        {
            std::lock_guard lock(device->mutex);
            if (!Present(*device)) {
                return MHD_NO; // restarting: the connection closes unanswered
            }
            const std::string before = OnvifStateLines(device->state.device);
            response = HandleDeviceService(request, device->state, static_cast<int64_t>(std::time(nullptr)));
            change = AfterRequest(*device, place, before);
            if (!response.snapshot.empty()) {
                pictured = device->state.device;
            }
        }
        Tell(change);
        if (!response.snapshot.empty()) {
            response.body = m_snapshots ? m_snapshots(pictured, response.snapshot) : std::string();
            if (response.body.empty()) {
                response = {503, "no picture\n", {}, 0};
            }
        }
    }
    return Send(connection, response);
}

std::unique_ptr<FileEndpoint> HttpServer::OpenEndpoint(MHD_Connection* connection, const char* path,
                                                       const char* method, bool& refused) {
    std::pair<uint32_t, uint16_t> place;
    Device* device = DeviceOf(connection, place);
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
    std::pair<uint32_t, uint16_t> place;
    Device* device = DeviceOf(connection, place);
    if (device == nullptr) {
        return MHD_NO;
    }
    ServiceResponse response;
    std::optional<DeviceChange> change;
    {
        std::lock_guard lock(device->mutex);
        const std::string before = OnvifStateLines(device->state.device);
        response = endpoint.Finish(device->state);
        change = AfterRequest(*device, place, before);
    }
    Tell(change);
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

} // namespace onvifsim
