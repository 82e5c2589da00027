#include "rtsp/rtsp_server.h"

#include "onvif/media_streams.h"
#include "onvif/onvif_defaults.h"
#include "rtsp/stream_pipeline.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstdio>
#include <cstring>
#include <gst/rtsp-server/rtsp-server.h>
#include <set>

namespace rtspsim {

namespace {

constexpr const char* kViewerRole = "viewer";

bool SameUsers(const std::vector<OnvifUser>& a, const std::vector<OnvifUser>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const OnvifUser& x, const OnvifUser& y) {
        return x.name == y.name && x.password == y.password;
    });
}

GstRTSPAuth* MakeAuth(const SimDevice& device) {
    GstRTSPAuth* auth = gst_rtsp_auth_new();
    gst_rtsp_auth_set_supported_methods(auth, GST_RTSP_AUTH_DIGEST);
    gst_rtsp_auth_set_realm(auth, "ONVIF");
    GstRTSPToken* token =
        gst_rtsp_token_new(GST_RTSP_TOKEN_MEDIA_FACTORY_ROLE, G_TYPE_STRING, kViewerRole, nullptr);
    for (const OnvifUser& user : OnvifUsers(device)) {
        gst_rtsp_auth_add_digest(auth, user.name.c_str(), user.password.c_str(), token);
    }
    gst_rtsp_token_unref(token);
    return auth;
}

void OnMediaConfigure(GstRTSPMediaFactory*, GstRTSPMedia* media, gpointer label) {
    ConfigureMedia(media, *static_cast<const StreamLabel*>(label));
}

void OnClientConnected(GstRTSPServer*, GstRTSPClient* client, gpointer self) {
    static_cast<RtspServer*>(self)->Assign(client);
}

// A live stream has no range to play: a Range header would make the
// server seek the shared pipeline and restart the timestamps of every
// client already watching.
GstRTSPStatusCode OnPrePlayRequest(GstRTSPClient*, GstRTSPContext* context, gpointer) {
    gst_rtsp_message_remove_header(context->request, GST_RTSP_HDR_RANGE, -1);
    return GST_RTSP_STS_OK;
}

// A client that starts to watch a shared stream gets a key frame at once,
// not at the next one of the running stream.
void OnPlayRequest(GstRTSPClient*, GstRTSPContext* context, gpointer) {
    if (context->media != nullptr) {
        RequestKeyFrame(context->media);
    }
}

} // namespace

struct RtspServer::Device {
    SimDevice device;
    GstRTSPMountPoints* mounts = nullptr;
    GstRTSPAuth* auth = nullptr;
    StreamLabel labels[2];
    ~Device() {
        if (mounts != nullptr) {
            g_object_unref(mounts);
        }
        if (auth != nullptr) {
            g_object_unref(auth);
        }
    }
};

RtspServer::RtspServer(const std::vector<SimDevice>& devices) {
    for (const SimDevice& device : devices) {
        auto entry = std::make_unique<Device>();
        entry->device = device;
        m_devices.push_back(device.onvif.Speaks() ? std::move(entry) : nullptr);
    }
}

RtspServer::~RtspServer() {
    Stop();
    if (m_nowhere != nullptr) {
        g_object_unref(m_nowhere);
    }
}

std::pair<uint32_t, uint16_t> RtspServer::PlaceOf(const SimDevice& device) {
    return {device.fields.ip, device.onvif.settings.rtsp.port};
}

bool RtspServer::Start() {
    GError* error = nullptr;
    if (!gst_init_check(nullptr, nullptr, &error)) {
        std::fprintf(stderr, "corvane-devsim: GStreamer: %s\n",
                     error != nullptr ? error->message : "no start");
        g_clear_error(&error);
        return false;
    }
    m_nowhere = gst_rtsp_mount_points_new();
    for (const auto& entry : m_devices) {
        if (!entry) {
            continue;
        }
        Device& device = *entry;
        device.mounts = gst_rtsp_mount_points_new();
        device.auth = MakeAuth(device.device);
        const auto streams = onvifsim::MediaStreams(device.device);
        for (std::size_t i = 0; i < streams.size(); ++i) {
            device.labels[i] = {device.device.name, streams[i].token, device.device.onvif.media.stopAfterMs,
                                &m_encoding};
            GstRTSPMediaFactory* factory = gst_rtsp_media_factory_new();
            gst_rtsp_media_factory_set_launch(factory, StreamLaunch(streams[i]).c_str());
            gst_rtsp_media_factory_set_shared(factory, TRUE);
            gst_rtsp_media_factory_set_protocols(
                factory, static_cast<GstRTSPLowerTrans>(GST_RTSP_LOWER_TRANS_TCP | GST_RTSP_LOWER_TRANS_UDP));
            gst_rtsp_media_factory_add_role(factory, kViewerRole, GST_RTSP_PERM_MEDIA_FACTORY_ACCESS,
                                            G_TYPE_BOOLEAN, TRUE, GST_RTSP_PERM_MEDIA_FACTORY_CONSTRUCT,
                                            G_TYPE_BOOLEAN, TRUE, nullptr);
            g_signal_connect(factory, "media-configure", G_CALLBACK(OnMediaConfigure), &device.labels[i]);
            gst_rtsp_mount_points_add_factory(device.mounts, (std::string("/") + streams[i].token).c_str(),
                                              factory); // takes the factory
        }
    }
    m_context = g_main_context_new();
    m_loop = g_main_loop_new(m_context, FALSE);
    std::lock_guard lock(m_mutex);
    m_started = true;
    std::set<uint16_t> ports;
    for (const auto& entry : m_devices) {
        if (entry && entry->device.onvif.settings.rtsp.enabled) {
            m_byPlace[PlaceOf(entry->device)] = entry.get();
            ports.insert(entry->device.onvif.settings.rtsp.port);
        }
    }
    for (const uint16_t port : ports) {
        if (!OpenPort(port)) {
            return false;
        }
    }
    m_thread = std::thread([loop = m_loop] { g_main_loop_run(loop); });
    return true;
}

bool RtspServer::OpenPort(uint16_t port) {
    if (m_listeners.count(port) != 0) {
        return true;
    }
    Listener listener;
    listener.server = gst_rtsp_server_new();
    gst_rtsp_server_set_address(listener.server, "0.0.0.0");
    gst_rtsp_server_set_service(listener.server, std::to_string(port).c_str());
    g_signal_connect(listener.server, "client-connected", G_CALLBACK(OnClientConnected), this);
    GError* error = nullptr;
    listener.source = gst_rtsp_server_create_source(listener.server, nullptr, &error);
    if (listener.source == nullptr) {
        std::fprintf(stderr, "corvane-devsim: cannot open the RTSP port %u: %s\n", port,
                     error != nullptr ? error->message : "");
        g_clear_error(&error);
        g_object_unref(listener.server);
        return false;
    }
    g_source_attach(listener.source, m_context);
    GstRTSPSessionPool* pool = gst_rtsp_server_get_session_pool(listener.server);
    listener.sessions = gst_rtsp_session_pool_create_watch(pool);
    // The watch calls a GstRTSPSessionPoolFunc through the GSourceFunc slot.
    GstRTSPSessionPoolFunc cleanup = [](GstRTSPSessionPool* sessions, gpointer) -> gboolean {
        gst_rtsp_session_pool_cleanup(sessions);
        return TRUE;
    };
    g_source_set_callback(listener.sessions,
                          reinterpret_cast<GSourceFunc>(reinterpret_cast<void (*)()>(cleanup)), nullptr,
                          nullptr);
    g_source_attach(listener.sessions, m_context);
    g_object_unref(pool);
    m_listeners[port] = listener;
    return true;
}

void RtspServer::Stop() {
    std::map<uint16_t, Listener> listeners;
    {
        std::lock_guard lock(m_mutex);
        listeners.swap(m_listeners);
        m_started = false;
    }
    if (m_loop != nullptr) {
        g_main_loop_quit(m_loop);
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }
    for (auto& [port, listener] : listeners) {
        g_source_destroy(listener.source);
        g_source_unref(listener.source);
        g_source_destroy(listener.sessions);
        g_source_unref(listener.sessions);
        // Every client leaves: their pipelines stop.
        gst_rtsp_server_client_filter(
            listener.server, [](GstRTSPServer*, GstRTSPClient*, gpointer) { return GST_RTSP_FILTER_REMOVE; },
            nullptr);
        g_object_unref(listener.server);
    }
    if (m_loop != nullptr) {
        g_main_loop_unref(m_loop);
        g_main_context_unref(m_context);
        m_loop = nullptr;
        m_context = nullptr;
    }
}

void RtspServer::Update(std::size_t labIndex, const SimDevice& device) {
    if (labIndex >= m_devices.size() || !m_devices[labIndex]) {
        return;
    }
    Device& entry = *m_devices[labIndex];
    GstRTSPAuth* old = nullptr;
    {
        std::lock_guard lock(m_mutex);
        if (const auto at = m_byPlace.find(PlaceOf(entry.device));
            at != m_byPlace.end() && at->second == &entry) {
            m_byPlace.erase(at);
        }
        if (!SameUsers(OnvifUsers(device), OnvifUsers(entry.device)) && entry.auth != nullptr) {
            old = entry.auth;
            entry.auth = MakeAuth(device);
        }
        entry.device = device;
        if (device.onvif.settings.rtsp.enabled) {
            m_byPlace[PlaceOf(device)] = &entry;
            if (m_started && !OpenPort(device.onvif.settings.rtsp.port)) {
                std::fprintf(stderr, "corvane-devsim: %s: no RTSP on port %u\n", device.name.c_str(),
                             device.onvif.settings.rtsp.port);
            }
        }
    }
    if (old != nullptr) {
        g_object_unref(old); // clients connected before keep theirs
    }
}

void RtspServer::Assign(GstRTSPClient* client) {
    GstRTSPConnection* connection = gst_rtsp_client_get_connection(client);
    GSocket* socket = connection != nullptr ? gst_rtsp_connection_get_read_socket(connection) : nullptr;
    GSocketAddress* local = socket != nullptr ? g_socket_get_local_address(socket, nullptr) : nullptr;
    std::pair<uint32_t, uint16_t> place{0, 0};
    if (local != nullptr && G_IS_INET_SOCKET_ADDRESS(local)) {
        GInetSocketAddress* inet = G_INET_SOCKET_ADDRESS(local);
        GInetAddress* address = g_inet_socket_address_get_address(inet);
        if (g_inet_address_get_family(address) == G_SOCKET_FAMILY_IPV4) {
            uint32_t raw = 0;
            std::memcpy(&raw, g_inet_address_to_bytes(address), sizeof raw);
            place = {ntohl(raw), g_inet_socket_address_get_port(inet)};
        }
    }
    if (local != nullptr) {
        g_object_unref(local);
    }
    std::lock_guard lock(m_mutex);
    const auto found = m_byPlace.find(place);
    if (found == m_byPlace.end()) {
        gst_rtsp_client_set_mount_points(client, m_nowhere);
        return;
    }
    gst_rtsp_client_set_mount_points(client, found->second->mounts);
    gst_rtsp_client_set_auth(client, found->second->auth);
    g_signal_connect(client, "pre-play-request", G_CALLBACK(OnPrePlayRequest), nullptr);
    g_signal_connect(client, "play-request", G_CALLBACK(OnPlayRequest), nullptr);
    // Over TCP a key frame is more packets than the send queue holds:
    // wait for the client rather than drop them.
    g_object_set(client, "drop-backlog", FALSE, nullptr);
}

} // namespace rtspsim
