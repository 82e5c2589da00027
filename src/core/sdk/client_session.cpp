#include "sdk/client_session.h"

#include "sdk/sdk.h"

#include <chrono>

namespace sdkclient {

using namespace sdkwire;

namespace {

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

enum class ReceiveStatus { Frame, TimedOut, Failed };

// Reads until one whole frame is there; used during the handshake, before
// the reader thread exists.
ReceiveStatus ReceiveFrame(sdknet::TcpLink& link, FrameCodec& codec, int timeoutMs, Frame& frame) {
    const int64_t deadline = NowMs() + timeoutMs;
    uint8_t buffer[4096];
    for (;;) {
        switch (codec.Next(frame)) {
        case FrameCodec::Status::HaveFrame:
            return ReceiveStatus::Frame;
        case FrameCodec::Status::Failed:
            return ReceiveStatus::Failed;
        case FrameCodec::Status::NeedMore:
            break;
        }
        const int64_t left = deadline - NowMs();
        if (left <= 0) {
            return ReceiveStatus::TimedOut;
        }
        const int count = link.Receive(buffer, static_cast<int>(left));
        if (count < 0) {
            return ReceiveStatus::Failed;
        }
        codec.Feed(std::span(buffer, static_cast<std::size_t>(count)));
    }
}

} // namespace

ClientSession::ClientSession(std::unique_ptr<sdknet::TcpLink> link, FrameCodec codec,
                             const Timeouts& timeouts)
    : m_link(std::move(link)), m_timeouts(timeouts), m_codec(std::move(codec)), m_lastSendMs(NowMs()) {}

ClientSession::~ClientSession() {
    Close(false);
    if (m_reader.joinable()) {
        if (m_reader.get_id() == std::this_thread::get_id()) {
            // The reader held the last reference: it is past its last use of
            // this object, so it may simply run out.
            m_reader.detach();
        } else {
            m_reader.join();
        }
    }
}

std::shared_ptr<ClientSession> ClientSession::Login(const std::string& ip, uint16_t port,
                                                    const std::string& user, const std::string& password,
                                                    const std::string& customer, const Timeouts& timeouts,
                                                    int* error, bool* connectionFull) {
    *connectionFull = false;
    auto link = sdknet::TcpLink::Connect(ip, port, timeouts.connectMs);
    if (!link) {
        *error = kErrorCannotConnect;
        return nullptr;
    }
    FrameCodec codec(Role::Client);
    Hello hello;
    hello.customer = customer;
    if (!RandomFill(hello.clientNonce)) {
        *error = kErrorOther;
        return nullptr;
    }
    Frame frame;
    const auto fail = [&](ReceiveStatus status) {
        *error = status == ReceiveStatus::TimedOut ? kErrorTimeout : kErrorOther;
        return nullptr;
    };
    if (!link->SendAll(codec.Encode(kHello, EncodeHello(hello)))) {
        *error = kErrorCannotConnect;
        return nullptr;
    }
    ReceiveStatus status = ReceiveFrame(*link, codec, timeouts.handshakeMs, frame);
    if (status != ReceiveStatus::Frame) {
        return fail(status);
    }
    const auto challenge = frame.type == kChallenge ? DecodeChallenge(frame.payload) : std::nullopt;
    if (!challenge || challenge->version != kProtocolVersion) {
        return fail(ReceiveStatus::Failed);
    }
    const Digest userKey = UserKey(user, password);
    LoginRequest login;
    login.user = user.substr(0, kMaxUserText);
    login.proof = ClientProof(userKey, challenge->deviceNonce, hello.clientNonce, login.user);
    if (!link->SendAll(codec.Encode(kLogin, EncodeLogin(login)))) {
        return fail(ReceiveStatus::Failed);
    }
    status = ReceiveFrame(*link, codec, timeouts.handshakeMs, frame);
    if (status != ReceiveStatus::Frame) {
        return fail(status);
    }
    const auto result = frame.type == kLoginResult ? DecodeLoginResult(frame.payload) : std::nullopt;
    if (!result) {
        return fail(ReceiveStatus::Failed);
    }
    if (result->code != kLoginOk) {
        *connectionFull = result->code == kLoginConnectionFull;
        *error = result->code == kLoginConnectionFull ? kErrorOther : result->code;
        return nullptr;
    }
    // A device that does not know the password cannot produce this proof.
    if (!SameDigest(result->deviceProof, DeviceProof(userKey, hello.clientNonce, challenge->deviceNonce))) {
        return fail(ReceiveStatus::Failed);
    }
    codec.StartEncryption(SessionKey(userKey, hello.clientNonce, challenge->deviceNonce));
    *error = 0;
    std::shared_ptr<ClientSession> session(new ClientSession(std::move(link), std::move(codec), timeouts));
    // The reader keeps the session alive until the connection ends, so a
    // callback may drop the last outside reference safely.
    session->m_reader = std::thread([session] { session->ReadLoop(); });
    return session;
}

bool ClientSession::SendFrame(uint16_t type, std::span<const uint8_t> payload) {
    std::lock_guard lock(m_sendMutex);
    {
        std::lock_guard state(m_mutex);
        m_lastSendMs = NowMs();
    }
    return m_link->SendAll(m_codec.Encode(type, payload));
}

std::optional<Reply> ClientSession::Call(uint16_t type, std::span<const uint8_t> body, int timeoutMs) {
    uint32_t id = 0;
    {
        std::lock_guard lock(m_mutex);
        if (m_closed) {
            return std::nullopt;
        }
        id = m_nextRequestId++;
        m_pending[id];
    }
    if (!SendFrame(type, EncodeRequest(id, body))) {
        MarkClosed();
    }
    const auto wait = std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : m_timeouts.requestMs);
    std::unique_lock lock(m_mutex);
    m_replyArrived.wait_for(lock, wait, [&] { return m_closed || m_pending[id].has_value(); });
    const auto found = m_pending.find(id);
    if (!found->second.has_value()) {
        m_pending.erase(found);
        return std::nullopt;
    }
    Reply reply = std::move(*found->second);
    m_pending.erase(found);
    return reply;
}

void ClientSession::SetUpgradeListener(UpgradeListener listener) {
    std::lock_guard callback(m_callbackMutex);
    std::lock_guard lock(m_mutex);
    m_upgradeListener = std::move(listener);
}

void ClientSession::AddPreviewSink(uint32_t streamId, SdkFrameSink* sink) {
    std::lock_guard callback(m_callbackMutex);
    std::lock_guard lock(m_mutex);
    m_previewSinks[streamId] = sink;
}

void ClientSession::RemovePreviewSink(uint32_t streamId) {
    std::lock_guard callback(m_callbackMutex);
    std::lock_guard lock(m_mutex);
    m_previewSinks.erase(streamId);
}

bool ClientSession::Open() const {
    std::lock_guard lock(m_mutex);
    return !m_closed;
}

void ClientSession::Close(bool sendLogout) {
    if (sendLogout && Open()) {
        Call(kLogout, {}, 1000);
    }
    MarkClosed();
}

void ClientSession::MarkClosed() {
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
    }
    m_replyArrived.notify_all();
    m_link->Shutdown();
}

void ClientSession::ReadLoop() {
    uint8_t buffer[64 * 1024];
    bool running = true;
    while (running) {
        Frame frame;
        FrameCodec::Status status = m_codec.Next(frame);
        if (status == FrameCodec::Status::HaveFrame) {
            Dispatch(frame);
            continue;
        }
        if (status == FrameCodec::Status::Failed) {
            break;
        }
        const int count = m_link->Receive(buffer, 1000);
        if (count < 0) {
            break;
        }
        if (count > 0) {
            m_codec.Feed(std::span(buffer, static_cast<std::size_t>(count)));
        }
        bool idle = false;
        {
            std::lock_guard lock(m_mutex);
            running = !m_closed;
            idle = NowMs() - m_lastSendMs >= m_timeouts.keepAliveMs;
        }
        if (running && idle) {
            // The reply is dropped: no request of that id is waited for.
            SendFrame(kKeepAlive, EncodeRequest(0, {}));
        }
    }
    MarkClosed();
    std::lock_guard callback(m_callbackMutex);
    UpgradeListener listener;
    {
        std::lock_guard lock(m_mutex);
        listener = m_upgradeListener;
    }
    if (listener) {
        listener(0, -2); // a running upgrade cannot finish without the link
    }
}

void ClientSession::Dispatch(const Frame& frame) {
    if ((frame.type & kReplyBit) != 0) {
        auto reply = DecodeReply(frame.payload);
        if (!reply) {
            return;
        }
        {
            std::lock_guard lock(m_mutex);
            const auto found = m_pending.find(reply->requestId);
            if (found == m_pending.end()) {
                return; // late reply of a call that timed out, or a keep-alive
            }
            found->second = std::move(*reply);
        }
        m_replyArrived.notify_all();
        return;
    }
    std::lock_guard callback(m_callbackMutex);
    if (frame.type == kUpgradeProgressEvent) {
        const auto event = DecodeUpgradeProgress(frame.payload);
        UpgradeListener listener;
        {
            std::lock_guard lock(m_mutex);
            listener = m_upgradeListener;
        }
        if (event && listener) {
            listener(event->total, event->value);
        }
    } else if (frame.type == kPreviewFrameEvent) {
        const auto event = DecodePreviewFrame(frame.payload);
        SdkFrameSink* sink = nullptr;
        if (event) {
            std::lock_guard lock(m_mutex);
            const auto found = m_previewSinks.find(event->streamId);
            sink = found == m_previewSinks.end() ? nullptr : found->second;
        }
        if (sink) {
            sink->OnFrame(event->jpeg.data(), event->jpeg.size(), event->width, event->height);
        }
    }
    // kClosingEvent: the device closes the connection right after it; the
    // read failure that follows ends the session.
}

} // namespace sdkclient
