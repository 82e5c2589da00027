#include "onvif/http_server.h"

#include "onvif/onvif_state_file.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <ctime>
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
};

MHD_Result OnRequest(void* self, MHD_Connection* connection, const char* url, const char* method, const char*,
                     const char* data, size_t* dataSize, void** context) {
    if (*context == nullptr) {
        *context = new Upload;
        return MHD_YES;
    }
    auto* upload = static_cast<Upload*>(*context);
    if (*dataSize > 0) {
        if (upload->body.size() + *dataSize > kMaxRequestBytes) {
            upload->tooLarge = true; // keep reading, but not keeping
        } else {
            upload->body.append(data, *dataSize);
        }
        *dataSize = 0;
        return MHD_YES;
    }
    return static_cast<MHD_Result>(
        static_cast<HttpServer*>(self)->Answer(connection, url, method, upload->body, upload->tooLarge));
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
        entry->labIndex = i;
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

HttpServer::Device* HttpServer::Find(uint32_t address, uint16_t port) {
    std::lock_guard lock(m_indexMutex);
    const auto found = m_byAddress.find({address, port});
    return found == m_byAddress.end() ? nullptr : found->second;
}

void HttpServer::Move(Device& device, std::pair<uint32_t, uint16_t> from, std::pair<uint32_t, uint16_t> to) {
    if (from == to) {
        return;
    }
    std::lock_guard lock(m_indexMutex);
    if (const auto old = m_byAddress.find(from); old != m_byAddress.end() && old->second == &device) {
        m_byAddress.erase(old);
    }
    m_byAddress[to] = &device;
    if (m_started && !OpenPort(to.second)) {
        std::fprintf(stderr, "corvane-devsim: cannot open the device service's HTTP port %u\n", to.second);
    }
}

int HttpServer::Answer(MHD_Connection* connection, const char* path, const char* method,
                       const std::string& body, bool tooLarge) {
    // The device is the address the client connected to.
    const MHD_ConnectionInfo* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (info == nullptr || getsockname(info->connect_fd, reinterpret_cast<sockaddr*>(&local), &length) != 0 ||
        local.sin_family != AF_INET) {
        return MHD_NO;
    }
    const std::pair<uint32_t, uint16_t> place{ntohl(local.sin_addr.s_addr), ntohs(local.sin_port)};
    Device* device = Find(place.first, place.second);
    ServiceResponse response{404, "no such device\n", {}, 0};
    if (device != nullptr) {
        const char* authorization =
            MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_AUTHORIZATION);
        const ServiceRequest request{method, path, authorization == nullptr ? "" : authorization, body,
                                     tooLarge};
        std::optional<DeviceChange> change;
        {
            std::lock_guard lock(device->mutex);
            const int64_t nowMs = SteadyMs();
            if (nowMs < device->awayUntilMs) {
                return MHD_NO; // restarting: the connection closes unanswered
            }
            const std::string before = OnvifStateLines(device->state.device);
            response = HandleDeviceService(request, device->state, static_cast<int64_t>(std::time(nullptr)));
            const SimDevice& now = device->state.device;
            const int restartMs = device->state.pending.restart ? now.onvif.rebootMs : 0;
            device->state.pending.restart = false;
            device->awayUntilMs = restartMs > 0 ? nowMs + restartMs : 0;
            Move(*device, place, {now.fields.ip, now.onvif.port});
            if (restartMs > 0 || OnvifStateLines(now) != before) {
                change = DeviceChange{device->labIndex, now, restartMs};
            }
        }
        if (change && m_listener) {
            m_listener(*change);
        }
    }
    if (response.delayMs > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(response.delayMs));
    }
    MHD_Response* reply =
        MHD_create_response_from_buffer(response.body.size(), response.body.data(), MHD_RESPMEM_MUST_COPY);
    const bool soap =
        response.status == 200 || response.status == 400 || response.status == 401 || response.status == 500;
    MHD_add_response_header(reply, MHD_HTTP_HEADER_CONTENT_TYPE,
                            soap ? "application/soap+xml; charset=utf-8" : "text/plain");
    for (const std::string& challenge : response.challenges) {
        MHD_add_response_header(reply, MHD_HTTP_HEADER_WWW_AUTHENTICATE, challenge.c_str());
    }
    const MHD_Result queued = MHD_queue_response(connection, static_cast<unsigned>(response.status), reply);
    MHD_destroy_response(reply);
    return queued;
}

} // namespace onvifsim
