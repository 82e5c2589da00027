// The ONVIF link's preview and snapshot: the media services' addresses,
// the RTSP source and the snapshot's HTTP transfer.
#include "onvif/onvif_link.h"
#include "preview/rtsp_source.h"
#include "preview/rtsp_url.h"
#include "sdk/config_file.h"
#include "sdk/sdk_layout.h"

namespace onvif {
namespace {

constexpr std::size_t kMaxSnapshotBytes = 16 * 1024 * 1024;

StreamKind KindOf(int stream) {
    return stream == sdklayout::kSubStream ? StreamKind::Sub : StreamKind::Main;
}

bool IsJpeg(const std::string& bytes) {
    return bytes.size() > 4 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
           static_cast<unsigned char>(bytes[1]) == 0xD8;
}

// What the stream's worker needs, its own copy: the window may outlive the
// login, the link may end before the worker.
struct StreamRequest {
    std::shared_ptr<SoapTransport> transport;
    DeviceTarget target;
    OnvifCredentials credentials;
    AuthMethod method = AuthMethod::Unknown; // what worked with the device service
    MediaServices services;
    StreamKind kind = StreamKind::Main;
    std::function<int64_t()> now;
};

preview::StreamAddress FindStream(const StreamRequest& request) {
    AuthMemory memory;
    memory.Set(request.services.media2, request.method);
    memory.Set(request.services.media1, request.method);
    const MediaUriResult found =
        FindMediaUri(*request.transport, memory, request.target, request.credentials, request.now(),
                     request.services, request.kind, MediaUriKind::Stream);
    preview::StreamAddress address;
    address.failure = found.outcome;
    if (found.outcome == StreamEnd::Closed) {
        address.url =
            preview::WithCredentials(found.uri, request.credentials.user, request.credentials.password);
    }
    return address;
}

} // namespace

std::unique_ptr<PreviewStream> OnvifLink::OpenPreview(const DeviceLogin& login, int stream) {
    const std::optional<DeviceTarget> target = TargetOf(login);
    if (!target) {
        return nullptr;
    }
    auto request = std::make_shared<StreamRequest>();
    request->transport = m_transport;
    request->target = *target;
    request->credentials.user = login.user;
    request->credentials.password = login.password;
    request->method = m_auth.Get(target->url);
    request->services = MediaOf(login);
    request->kind = KindOf(stream);
    request->now = m_now;
    return std::make_unique<preview::RtspSource>(
        [request](const std::function<bool()>&) { return FindStream(*request); });
}

bool OnvifLink::SaveSnapshot(const DeviceLogin& login, int stream, const std::string& path,
                             std::string& failKey) {
    const std::optional<DeviceTarget> target = TargetOf(login);
    if (!target) {
        failKey = StreamEndKey(StreamEnd::Failed);
        return false;
    }
    OnvifCredentials credentials;
    credentials.user = login.user;
    credentials.password = login.password;
    const MediaUriResult found = FindMediaUri(*m_transport, m_auth, *target, credentials, m_now(),
                                              MediaOf(login), KindOf(stream), MediaUriKind::Snapshot);
    if (found.outcome != StreamEnd::Closed) {
        failKey = StreamEndKey(found.outcome);
        return false;
    }
    FileTransfer transfer;
    transfer.url = found.uri;
    transfer.auth = HttpAuth::Digest;
    transfer.user = login.user;
    transfer.password = login.password;
    transfer.maxReplyBytes = kMaxSnapshotBytes;
    transfer.stallTimeoutMs = target->timeoutMs;
    const FileReply reply = m_files->Transfer(transfer);
    if (reply.result != TransportResult::Ok) {
        failKey = StreamEndKey(reply.result == TransportResult::Unreachable ||
                                       reply.result == TransportResult::Timeout
                                   ? StreamEnd::Unreachable
                                   : StreamEnd::Failed);
        return false;
    }
    if (reply.httpStatus == 401 || reply.httpStatus == 403) {
        failKey = StreamEndKey(StreamEnd::WrongPassword);
        return false;
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(reply.body.data());
    if (reply.httpStatus != 200 || !IsJpeg(reply.body) ||
        !sdkwire::WriteWholeFile(path, std::span<const uint8_t>(bytes, reply.body.size()))) {
        failKey = "info.operate_fail";
        return false;
    }
    return true;
}

} // namespace onvif
