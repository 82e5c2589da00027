#include "onvif/http_server.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <microhttpd.h>
#include <netinet/in.h>
#include <random>
#include <set>
#include <sys/socket.h>
#include <thread>

namespace onvifsim {

namespace {

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
    const auto found = m_byAddress.find({ntohl(local.sin_addr.s_addr), ntohs(local.sin_port)});
    ServiceResponse response{404, "no such device\n", {}, 0};
    if (found != m_byAddress.end()) {
        const char* authorization =
            MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_AUTHORIZATION);
        const ServiceRequest request{method, path, authorization == nullptr ? "" : authorization, body,
                                     tooLarge};
        std::lock_guard lock(found->second->mutex);
        response =
            HandleDeviceService(request, found->second->state, static_cast<int64_t>(std::time(nullptr)));
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
