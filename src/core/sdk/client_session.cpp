#include "sdk/client_session.h"

#include "sdk/sdk.h"
#include "sdk/user_key_cache.h"

#include <algorithm>
#include <array>
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
                             const Timeouts& timeouts, const Agreement& agreement)
    : m_link(std::move(link)), m_timeouts(timeouts), m_agreement(agreement), m_codec(std::move(codec)),
      m_lastSendMs(NowMs()) {}

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

namespace {

// The SDK_Login error of a device's refusal: the codes of section 6 keep
// their number, connection full has its own, anything else is "other" (a
// device cannot pass off one of the client's own findings).
int LoginErrorOf(int32_t code) {
    switch (code) {
    case kLoginWrongPassword:
    case kLoginUnknownUser:
    case kLoginRepeat:
    case kLoginLocked:
    case kLoginBlacklisted:
    case kLoginBusy:
        return code;
    case kLoginConnectionFull:
        return kErrorConnectionFull;
    default:
        return kErrorOther;
    }
}

struct Refusal {
    int error = 0; // 0: the CHALLENGE can be used
    std::string detail;
};

// Why a CHALLENGE cannot be used. Its header and payload must name the same
// version, one the HELLO offered: a device that answers with another one
// would compute another transcript, and the failed proof would be blamed on
// the password (and count towards the user's lock).
Refusal ChallengeProblem(const Hello& hello, const Frame& frame, const std::optional<Challenge>& challenge) {
    const uint8_t offered = frame.payload.empty() ? 0 : frame.payload[0];
    if (frame.version == 1 || offered == 1) {
        return {
            kErrorOldProtocol,
            "the device speaks only protocol version 1, which is no longer accepted (version 2 is needed)"};
    }
    if (offered == 0 || offered != frame.version || offered < hello.minVersion ||
        offered > hello.maxVersion) {
        return {kErrorNoVersion,
                "the device shares no protocol version with this program (it names version " +
                    std::to_string(offered) + "; version 2 is needed)"};
    }
    if (!challenge) {
        return {kErrorOther, "the device's challenge is malformed"};
    }
    if (challenge->iterations < kMinKeyIterations || challenge->iterations > kMaxKeyIterations) {
        return {kErrorKeyCost, "the device asks for " + std::to_string(challenge->iterations) +
                                   " key iterations (allowed: " + std::to_string(kMinKeyIterations) + " to " +
                                   std::to_string(kMaxKeyIterations) + ")"};
    }
    return {};
}

} // namespace

std::shared_ptr<ClientSession> ClientSession::Login(const LoginParameters& parameters,
                                                    const Timeouts& timeouts, LoginOutcome& outcome) {
    outcome = {};
    const auto refuse = [&](int code, std::string detail) {
        outcome.error = code;
        outcome.detail = std::move(detail);
        return nullptr;
    };
    // Never cut: a cut name is another user's, or ends inside a character.
    if (parameters.user.size() > kMaxUserText) {
        return refuse(kErrorUserTooLong,
                      "the user name is longer than " + std::to_string(kMaxUserText) + " bytes");
    }
    if (parameters.customer.size() > kMaxCustomerText) {
        return refuse(kErrorOther,
                      "the customer text is longer than " + std::to_string(kMaxCustomerText) + " bytes");
    }
    auto link = sdknet::TcpLink::Connect(parameters.ip, parameters.port, timeouts.connectMs);
    if (!link) {
        return refuse(kErrorCannotConnect, "no connection to the device");
    }
    FrameCodec codec(Role::Client);
    Hello hello;
    hello.customer = parameters.customer;
    if (!RandomFill(hello.clientNonce)) {
        return refuse(kErrorOther, "no random numbers");
    }
    Frame frame;
    const auto fail = [&](ReceiveStatus status, const char* what) {
        return status == ReceiveStatus::TimedOut
                   ? refuse(kErrorTimeout, std::string("no ") + what + " in time")
                   : refuse(kErrorOther, std::string("protocol error at the ") + what);
    };
    const auto helloFrame = codec.Encode(kHello, EncodeHello(hello));
    if (!helloFrame || !link->SendAll(*helloFrame)) {
        return refuse(kErrorCannotConnect, "the connection failed");
    }
    ReceiveStatus status = ReceiveFrame(*link, codec, timeouts.handshakeMs, frame);
    if (status != ReceiveStatus::Frame) {
        return fail(status, "challenge");
    }
    if (frame.type != kChallenge) {
        return fail(ReceiveStatus::Failed, "challenge");
    }
    const auto challenge = DecodeChallenge(frame.payload);
    if (Refusal problem = ChallengeProblem(hello, frame, challenge); problem.error != 0) {
        return refuse(problem.error, std::move(problem.detail));
    }
    codec.SetVersion(challenge->version);

    Transcript transcript;
    transcript.minVersion = hello.minVersion;
    transcript.maxVersion = hello.maxVersion;
    transcript.version = challenge->version;
    transcript.clientNonce = hello.clientNonce;
    transcript.deviceNonce = challenge->deviceNonce;
    transcript.salt = challenge->salt;
    transcript.iterations = challenge->iterations;
    transcript.customer = hello.customer;
    transcript.user = parameters.user;
    const Digest transcriptHash = TranscriptHash(transcript);
    Digest userKey =
        CachedUserKey(parameters.user, parameters.password, challenge->salt, challenge->iterations);
    struct KeyWiper {
        Digest& key;
        ~KeyWiper() { WipeAll(key); }
    } wiper{userKey};

    LoginRequest login;
    login.user = parameters.user;
    login.proof = ClientProof(userKey, transcriptHash);
    const auto loginFrame = codec.Encode(kLogin, EncodeLogin(login));
    if (!loginFrame || !link->SendAll(*loginFrame)) {
        return fail(ReceiveStatus::Failed, "login");
    }
    status = ReceiveFrame(*link, codec, timeouts.handshakeMs, frame);
    if (status != ReceiveStatus::Frame) {
        return fail(status, "login result");
    }
    const auto result = frame.type == kLoginResult ? DecodeLoginResult(frame.payload) : std::nullopt;
    if (!result) {
        return fail(ReceiveStatus::Failed, "login result");
    }
    if (result->code != kLoginOk) {
        outcome.connectionFull = result->code == kLoginConnectionFull;
        return refuse(LoginErrorOf(result->code),
                      "the device refused the login with code " + std::to_string(result->code));
    }
    // A device that does not know the user key cannot produce this proof.
    if (!SameDigest(result->deviceProof, DeviceProof(userKey, transcriptHash))) {
        return refuse(kErrorOther, "the device failed to prove that it knows the password");
    }
    Digest sessionKey = SessionKey(userKey, transcript, transcriptHash);
    codec.StartEncryption(sessionKey);
    WipeAll(sessionKey);
    outcome.error = 0;
    const Agreement agreement{challenge->version, challenge->salt, challenge->iterations, transcriptHash};
    std::shared_ptr<ClientSession> session(
        new ClientSession(std::move(link), std::move(codec), timeouts, agreement));
    // The reader keeps the session alive until the connection ends, so a
    // callback may drop the last outside reference safely.
    session->m_reader = std::thread([session] { session->ReadLoop(); });
    return session;
}

bool ClientSession::SendFrame(uint16_t type, std::span<const std::span<const uint8_t>> parts) {
    std::lock_guard lock(m_sendMutex);
    {
        std::lock_guard state(m_mutex);
        if (m_closed) {
            return false;
        }
        m_lastSendMs = NowMs();
    }
    // Nothing is sent when the frame cannot be made: over the limit, the
    // sequence numbers used up (the session must end) or sealing failed.
    const auto frame = m_codec.EncodeInto(type, parts, m_sendBuffer);
    return frame && m_link->SendAll(*frame);
}

std::vector<ClientSession::Pending>::iterator ClientSession::FindPendingLocked(uint32_t id) {
    return std::find_if(m_pending.begin(), m_pending.end(),
                        [id](const Pending& pending) { return pending.id == id; });
}

std::optional<uint32_t> ClientSession::Post(uint16_t type, std::span<const std::span<const uint8_t>> body) {
    constexpr std::size_t kMaxParts = 4;
    if (body.size() > kMaxParts - 1) {
        return std::nullopt;
    }
    uint32_t id = 0;
    {
        std::lock_guard lock(m_mutex);
        if (m_closed) {
            return std::nullopt;
        }
        id = m_nextRequestId++;
        m_pending.push_back({id, type, std::nullopt});
        m_mostOpen = std::max(m_mostOpen, m_pending.size());
    }
    // The request's plaintext is its id, then the body's parts: sealed
    // straight from where they are (no copy of a firmware chunk).
    uint8_t idBytes[4];
    StoreU32(idBytes, id);
    std::array<std::span<const uint8_t>, kMaxParts> parts{};
    parts[0] = idBytes;
    std::copy(body.begin(), body.end(), parts.begin() + 1);
    if (!SendFrame(type, std::span(parts.data(), body.size() + 1))) {
        MarkClosed();
        std::lock_guard lock(m_mutex);
        m_pending.erase(FindPendingLocked(id));
        return std::nullopt;
    }
    return id;
}

std::optional<Reply> ClientSession::Await(uint32_t requestId, int timeoutMs) {
    const auto wait = std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : m_timeouts.requestMs);
    std::unique_lock lock(m_mutex);
    if (FindPendingLocked(requestId) == m_pending.end()) {
        return std::nullopt;
    }
    m_replyArrived.wait_for(lock, wait,
                            [&] { return m_closed || FindPendingLocked(requestId)->reply.has_value(); });
    const auto found = FindPendingLocked(requestId);
    if (!found->reply.has_value()) {
        m_pending.erase(found);
        return std::nullopt;
    }
    Reply reply = std::move(*found->reply);
    m_pending.erase(found);
    return reply;
}

std::size_t ClientSession::MostOpenRequests() const {
    std::lock_guard lock(m_mutex);
    return m_mostOpen;
}

void ClientSession::ReleaseSendBuffer() {
    std::lock_guard lock(m_sendMutex);
    sdkwire::Bytes().swap(m_sendBuffer);
}

void ClientSession::Drop(uint32_t requestId) {
    std::lock_guard lock(m_mutex);
    const auto found = FindPendingLocked(requestId);
    if (found != m_pending.end()) {
        m_pending.erase(found);
    }
}

std::optional<Reply> ClientSession::Call(uint16_t type, std::span<const uint8_t> body, int timeoutMs) {
    // The plaintext may hold passwords (MODIFY_USER): sealed from the
    // caller's memory, never copied in clear.
    const std::span<const uint8_t> parts[] = {body};
    const auto id = Post(type, parts);
    if (!id) {
        return std::nullopt;
    }
    return Await(*id, timeoutMs);
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
    constexpr std::size_t kReceiveRoom = 64 * 1024;
    bool running = true;
    Frame frame; // its payload's memory serves every frame
    while (running) {
        FrameCodec::Status status = m_codec.Next(frame);
        if (status == FrameCodec::Status::HaveFrame) {
            Dispatch(frame);
            continue;
        }
        if (status == FrameCodec::Status::Failed) {
            break;
        }
        const int count = m_link->Receive(m_codec.ReceiveSpace(kReceiveRoom), 1000);
        if (count < 0) {
            break;
        }
        m_codec.Received(static_cast<std::size_t>(count));
        bool idle = false;
        {
            std::lock_guard lock(m_mutex);
            running = !m_closed;
            idle = NowMs() - m_lastSendMs >= m_timeouts.keepAliveMs;
        }
        if (running && idle) {
            // The reply is dropped: no request of that id is waited for.
            const uint8_t keepAlive[4] = {0, 0, 0, 0}; // request id 0
            const std::span<const uint8_t> parts[] = {keepAlive};
            SendFrame(kKeepAlive, parts);
        }
    }
    MarkClosed();
    {
        std::lock_guard lock(m_sendMutex);
        m_codec.WipeKey();
        sdkwire::Bytes().swap(m_sendBuffer);
    }
    std::lock_guard callback(m_callbackMutex);
    UpgradeListener listener;
    {
        std::lock_guard lock(m_mutex);
        listener = m_upgradeListener;
    }
    if (listener) {
        listener(0, -2); // a running upgrade cannot finish without the link
    }
    std::map<uint32_t, SdkFrameSink*> sinks;
    {
        std::lock_guard lock(m_mutex);
        sinks.swap(m_previewSinks);
    }
    for (const auto& [streamId, sink] : sinks) {
        sink->OnStreamEnded();
    }
}

void ClientSession::Dispatch(const Frame& frame) {
    if ((frame.type & kReplyBit) != 0) {
        bool wrongReply = false;
        auto reply = DecodeReply(frame.payload);
        if (!reply) {
            return;
        }
        {
            std::lock_guard lock(m_mutex);
            const auto found = FindPendingLocked(reply->requestId);
            if (found == m_pending.end()) {
                return; // late reply of a call that timed out, or a keep-alive
            }
            if (frame.type != ReplyType(found->type)) {
                // Another message's reply under this id: the device is
                // broken or hostile, and nothing it sends can be trusted.
                wrongReply = true;
            } else {
                found->reply = std::move(*reply);
            }
        }
        if (wrongReply) {
            MarkClosed();
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
        // Only pictures that start like a JPEG picture (SOI, then a marker)
        // reach the sink, so nothing else is ever saved as one.
        const bool jpeg = event && event->jpeg.size() >= 3 && event->jpeg[0] == 0xFF &&
                          event->jpeg[1] == 0xD8 && event->jpeg[2] == 0xFF;
        if (sink && jpeg) {
            sink->OnFrame(event->jpeg.data(), event->jpeg.size(), event->width, event->height);
        }
    }
    // kClosingEvent: the device closes the connection right after it; the
    // read failure that follows ends the session.
}

} // namespace sdkclient
