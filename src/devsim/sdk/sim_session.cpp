#include "devsim/sdk/sim_session.h"

#include "devsim/sdk/sim_device.h"
#include "devsim/sdk/transfer_count.h"
#include "sdk/config_file.h"
#include "sdk/sdk_layout.h"

#include <algorithm>
#include <chrono>

namespace devsim {

using namespace sdkwire;

namespace {

constexpr int kHandshakeMs = 5000;
constexpr int kIdleMs = 60000;

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

SimSession::SimSession(SimSdkDevice& device, std::unique_ptr<sdknet::TcpLink> link)
    : m_device(device), m_link(std::move(link)) {}

SimSession::~SimSession() {
    Close();
    Join();
}

void SimSession::Start() {
    m_thread = std::thread([self = shared_from_this()] { self->Run(); });
}

void SimSession::Close() {
    m_closed = true;
    m_wake.notify_all();
    m_link->Shutdown();
}

void SimSession::Join() {
    // The session thread joins its preview and upgrade threads itself.
    if (m_thread.joinable()) {
        if (m_thread.get_id() == std::this_thread::get_id()) {
            m_thread.detach();
        } else {
            m_thread.join();
        }
    }
}

bool SimSession::SleepUnlessClosed(int ms) {
    std::unique_lock lock(m_mutex);
    return !m_wake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_closed.load(); });
}

bool SimSession::Receive(Frame& frame, int timeoutMs) {
    constexpr std::size_t kReceiveRoom = 64 * 1024;
    const int64_t deadline = NowMs() + timeoutMs;
    for (;;) {
        const auto status = m_codec.Next(frame);
        if (status == FrameCodec::Status::HaveFrame) {
            return true;
        }
        if (status == FrameCodec::Status::Failed || m_closed) {
            return false;
        }
        const int64_t left = deadline - NowMs();
        if (left <= 0) {
            return false;
        }
        // Straight into the codec's buffer, kept for the session.
        const int count = m_link->Receive(m_codec.ReceiveSpace(kReceiveRoom),
                                          static_cast<int>(std::min<int64_t>(left, 500)));
        if (count < 0) {
            return false;
        }
        m_codec.Received(static_cast<std::size_t>(count));
    }
}

bool SimSession::Send(uint16_t type, std::span<const uint8_t> payload) {
    const std::span<const uint8_t> parts[] = {payload};
    return SendParts(type, parts);
}

bool SimSession::SendParts(uint16_t type, std::span<const std::span<const uint8_t>> parts) {
    std::lock_guard lock(m_sendMutex);
    if (m_closed) {
        return false;
    }
    const auto frame = m_codec.EncodeInto(type, parts, m_sendBuffer);
    if (!frame) {
        // Over the limit or the sequence numbers used up: the session ends.
        m_closed = true;
        m_wake.notify_all();
        m_link->Shutdown();
        return false;
    }
    return m_link->SendAll(*frame);
}

bool SimSession::Reply(uint16_t type, uint32_t requestId, int32_t result, std::span<const uint8_t> body) {
    const int slowMs = m_device.Faults().slowMs;
    if (slowMs > 0 && !SleepUnlessClosed(slowMs)) {
        return false;
    }
    const int wrongType = m_device.Faults().wrongReplyType;
    const uint16_t replyType = ReplyType(wrongType != 0 ? static_cast<uint16_t>(wrongType) : type);
    uint8_t envelope[8];
    StoreU32(envelope, requestId);
    StoreU32(envelope + 4, static_cast<uint32_t>(result));
    const std::span<const uint8_t> parts[] = {envelope, body};
    return SendParts(replyType, parts);
}

bool SimSession::Handshake() {
    Frame frame;
    if (!Receive(frame, kHandshakeMs) || frame.type != kHello) {
        return false;
    }
    const auto hello = DecodeHello(frame.payload);
    if (!hello) {
        return false;
    }
    if (m_device.Faults().oldProtocol) {
        // The CHALLENGE of version 1: its version and a nonce, nothing more.
        m_codec.SetVersion(1);
        Nonce nonce{};
        if (RandomFill(nonce)) {
            Bytes old{1};
            old.insert(old.end(), nonce.begin(), nonce.end());
            Send(kChallenge, old);
        }
        return false;
    }
    Challenge challenge;
    // The highest version both speak.
    const uint8_t version = std::min(hello->maxVersion, m_device.Settings().maxVersion);
    const bool shared = version >= std::max(hello->minVersion, kProtocolVersion);
    if (!shared) {
        // Refused in the version the client wrote its HELLO in, so that it
        // can read the refusal.
        m_codec.SetVersion(frame.version);
        challenge = Challenge{0, {}, {}, 0};
        Send(kChallenge, EncodeChallenge(challenge));
        return false;
    }
    m_codec.SetVersion(version);
    challenge.version = version;
    challenge.salt = m_device.DeviceSalt();
    challenge.iterations = m_device.KeyIterations();
    if (!RandomFill(challenge.deviceNonce) || !Send(kChallenge, EncodeChallenge(challenge))) {
        return false;
    }
    if (!Receive(frame, kHandshakeMs) || frame.type != kLogin) {
        return false;
    }
    const auto login = DecodeLogin(frame.payload);
    if (!login) {
        return false;
    }
    Transcript transcript;
    transcript.minVersion = hello->minVersion;
    transcript.maxVersion = hello->maxVersion;
    transcript.version = challenge.version;
    transcript.clientNonce = hello->clientNonce;
    transcript.deviceNonce = challenge.deviceNonce;
    transcript.salt = challenge.salt;
    transcript.iterations = challenge.iterations;
    transcript.customer = hello->customer;
    transcript.user = login->user;
    const Digest transcriptHash = TranscriptHash(transcript);
    m_transcriptHash = transcriptHash;
    auto userKey = m_device.KeyOf(login->user);
    const bool proofMatches = userKey && SameDigest(login->proof, ClientProof(*userKey, transcriptHash));
    LoginResult result;
    result.code = m_device.Admit(login->user, proofMatches);
    if (result.code != kLoginOk) {
        if (userKey) {
            WipeAll(*userKey);
        }
        Send(kLoginResult, EncodeLoginResult(result));
        return false;
    }
    m_admitted = true;
    m_user = login->user;
    result.deviceProof = DeviceProof(*userKey, transcriptHash);
    Digest sessionKey = SessionKey(*userKey, transcript, transcriptHash);
    WipeAll(*userKey);
    const bool sent = Send(kLoginResult, EncodeLoginResult(result));
    {
        std::lock_guard lock(m_sendMutex);
        m_codec.StartEncryption(sessionKey);
    }
    WipeAll(sessionKey);
    return sent;
}

void SimSession::Run() {
    SessionOpened();
    if (Handshake()) {
        m_previewThread = std::thread([this] { PreviewLoop(); });
        Frame frame;
        while (!m_closed && Receive(frame, kIdleMs)) {
            if (!Handle(frame)) {
                break;
            }
        }
    }
    Close();
    if (m_upgradeOpen) {
        m_upgradeOpen = false; // the transfer broke off
        TransferEnded();
    }
    if (m_upgradeOwned) {
        m_upgradeOwned = false;
        if (m_upgradeThread.joinable()) {
            m_upgradeThread.join();
        }
        if (!m_upgradeRefused) {
            m_device.EndUpgrade();
        }
    }
    if (m_previewThread.joinable()) {
        m_previewThread.join();
    }
    if (m_admitted) {
        m_device.Release();
    }
    {
        std::lock_guard lock(m_sendMutex);
        m_codec.WipeKey();
        WipeAll(m_sendBuffer);
        m_sendBuffer = {};
    }
    SessionClosed();
    m_finished = true;
}

bool SimSession::Handle(const Frame& frame) {
    const auto request = ViewRequest(frame.payload);
    if (!request) {
        return false;
    }
    const uint32_t id = request->requestId;
    ByteReader in(request->body);
    const bool writesRefused = m_device.Faults().refuseConfigWrites;
    // A request without fields, or RESTORE_DEFAULT with more than its mask,
    // followed by further bytes is refused like any malformed request.
    switch (frame.type) {
    case kLogout:
    case kKeepAlive:
    case kReboot:
    case kExportConfig:
    case kRestoreDefault:
        if (frame.type == kRestoreDefault) {
            in.U32(); // the mask: the simulator restores everything
        }
        if (!in.AtEnd()) {
            return Reply(frame.type, id, kResultBadArgument);
        }
        break;
    default:
        break;
    }
    switch (frame.type) {
    case kLogout:
        Reply(frame.type, id, kResultDone);
        return false;
    case kKeepAlive:
        return Reply(frame.type, id, kResultDone);
    case kGetConfig: {
        const int command = static_cast<int>(in.U32());
        auto block = m_device.WithStore([&](SimStore& store) { return store.GetBlock(command); });
        const int shortBlocks = m_device.Faults().shortBlocks;
        if (block && shortBlocks >= 0 && static_cast<std::size_t>(shortBlocks) < block->size()) {
            block->resize(static_cast<std::size_t>(shortBlocks));
        }
        ByteWriter body;
        if (block) {
            body.Blob(*block);
        }
        return Reply(frame.type, id,
                     !in.AtEnd() ? kResultBadArgument
                     : block     ? kResultDone
                                 : kResultUnknown,
                     body.Data());
    }
    case kSetConfig: {
        const int command = static_cast<int>(in.U32());
        const Bytes block = in.Blob(kMaxConfigImage);
        int result = kResultBadArgument;
        if (in.AtEnd()) {
            result = writesRefused ? kResultRefused : m_device.WithStore([&](SimStore& store) {
                return store.SetBlock(command, block);
            });
        }
        if (result == kResultDone) {
            m_device.Notify();
        }
        return Reply(frame.type, id, result);
    }
    case kGetUsers: {
        if (!in.AtEnd()) {
            return Reply(frame.type, id, kResultBadArgument);
        }
        ByteWriter body;
        body.Blob(m_device.WithStore([&](SimStore& store) { return store.UserTable(m_user); }));
        return Reply(frame.type, id, kResultDone, body.Data());
    }
    case kModifyUser: {
        if (m_codec.Version() >= 3) {
            const auto change = DecodeModifyUserKey(request->body);
            const int result = !change ? kResultBadArgument
                               : writesRefused
                                   ? kResultRefused
                                   : m_device.WithStore([&](SimStore& store) {
                                         return store.ModifyUserKey(m_user, *change, m_transcriptHash);
                                     });
            if (result == kResultDone) {
                m_device.Notify();
            }
            return Reply(frame.type, id, result);
        }
        const uint32_t operation = in.U32();
        Bytes newRecord = in.Blob(sdklayout::kUserRecordSize);
        Bytes oldRecord = in.Blob(sdklayout::kUserRecordSize);
        int result = kResultBadArgument;
        if (in.AtEnd() && operation == sdklayout::kModifyUserPassword) {
            result = writesRefused ? kResultRefused : m_device.WithStore([&](SimStore& store) {
                return store.ModifyUser(m_user, newRecord, oldRecord);
            });
        }
        WipeAll(newRecord);
        WipeAll(oldRecord);
        if (result == kResultDone) {
            m_device.Notify();
        }
        return Reply(frame.type, id, result);
    }
    case kQueryInfo: {
        const uint32_t item = in.U32();
        ByteWriter body;
        if (in.AtEnd() && item == sdklayout::kInfoVersionItem) {
            body.Text(m_device.WithStore([](SimStore& store) { return store.Version(); }));
            return Reply(frame.type, id, kResultDone, body.Data());
        }
        return Reply(frame.type, id, kResultBadArgument);
    }
    case kReboot:
        Reply(frame.type, id, kResultDone);
        Send(kClosingEvent, EncodeClosing(static_cast<int32_t>(RestartReason::Reboot)));
        m_device.Restart(RestartReason::Reboot);
        return false;
    case kRestoreDefault:
        if (writesRefused) {
            return Reply(frame.type, id, kResultRefused);
        }
        m_device.WithStore([](SimStore& store) {
            store.RestoreFactory();
            return 0;
        });
        Reply(frame.type, id, kResultDone);
        Send(kClosingEvent, EncodeClosing(static_cast<int32_t>(RestartReason::FactoryDefault)));
        m_device.Restart(RestartReason::FactoryDefault);
        return false;
    case kExportConfig: {
        ByteWriter body;
        body.Blob(m_device.WithStore([](SimStore& store) { return store.ExportImage(); }));
        return Reply(frame.type, id, kResultDone, body.Data());
    }
    case kImportConfig: {
        const Bytes image = in.Blob(kMaxConfigImage);
        int result = kResultBadArgument;
        if (in.AtEnd()) {
            result = writesRefused
                         ? kResultRefused
                         : m_device.WithStore([&](SimStore& store) { return store.ImportImage(image); });
        }
        if (result != kResultDone) {
            return Reply(frame.type, id, result);
        }
        Reply(frame.type, id, result);
        Send(kClosingEvent, EncodeClosing(static_cast<int32_t>(RestartReason::Reboot)));
        m_device.Restart(RestartReason::Reboot);
        return false;
    }
    case kUpgradeBegin: {
        if (m_upgradeOwned && m_upgradeRefused) {
            // After a refused image the session may start again.
            if (m_upgradeThread.joinable()) {
                m_upgradeThread.join();
            }
            m_upgradeOwned = false;
            m_upgradeRefused = false;
        }
        const uint32_t size = in.U32();
        int result = kResultBadArgument;
        if (in.AtEnd() && size <= kMaxFirmwareSize && !m_upgradeOpen && !m_upgradeOwned) {
            result = m_device.TryBeginUpgrade() ? kResultDone : kResultBusy;
        }
        if (result == kResultDone) {
            m_upgradeOpen = true;
            m_upgradeOwned = true;
            m_upgradeSize = size;
            m_upgradeReceived.emplace();
            TransferBegan();
        }
        return Reply(frame.type, id, result);
    }
    case kUpgradeData:
        return Reply(frame.type, id, HandleUpgradeData(in));
    case kUpgradeEnd: {
        if (!m_upgradeOpen || !in.AtEnd()) {
            return Reply(frame.type, id, kResultBadArgument);
        }
        m_upgradeOpen = false;
        TransferEnded();
        const bool sent = Reply(frame.type, id, kResultDone);
        FinishUpgrade();
        return sent;
    }
    case kPreviewStart: {
        const uint32_t stream = in.U32();
        if (!in.AtEnd() || (stream != sdklayout::kMainStream && stream != sdklayout::kSubStream)) {
            return Reply(frame.type, id, kResultBadArgument);
        }
        ByteWriter body;
        uint32_t streamId = 0;
        {
            std::lock_guard lock(m_mutex);
            streamId = m_nextStreamId++;
        }
        body.U32(streamId);
        // The stream's first frame may only follow the reply.
        const bool sent = Reply(frame.type, id, kResultDone, body.Data());
        {
            std::lock_guard lock(m_mutex);
            m_streams[streamId] = static_cast<int>(stream);
        }
        m_wake.notify_all();
        return sent;
    }
    case kPreviewStop: {
        const uint32_t streamId = in.U32();
        std::lock_guard lock(m_mutex);
        const bool known = in.AtEnd() && m_streams.erase(streamId) == 1;
        return Reply(frame.type, id, known ? kResultDone : kResultBadArgument);
    }
    default:
        return Reply(frame.type, id, kResultUnknown);
    }
}

int SimSession::HandleUpgradeData(ByteReader& in) {
    const uint32_t offset = in.U32();
    const auto chunk = in.BlobView(UpgradeChunk(m_codec.Version()));
    if (!in.AtEnd() || !m_upgradeOpen || !m_upgradeReceived || offset != m_upgradeReceived->Received() ||
        chunk.size() > m_upgradeSize - m_upgradeReceived->Received()) {
        return kResultBadArgument;
    }
    m_upgradeReceived->Add(chunk);
    return kResultDone;
}

void SimSession::FinishUpgrade() {
    const std::size_t size = m_upgradeReceived ? m_upgradeReceived->Received() : 0;
    auto firmware = m_upgradeReceived ? m_upgradeReceived->Finish() : std::nullopt;
    m_upgradeReceived.reset();
    m_upgradeThread = std::thread(
        [this, firmware = std::move(firmware), size]() mutable { WriteFirmware(std::move(firmware), size); });
}

void SimSession::WriteFirmware(std::optional<FirmwareHeader> firmware, std::size_t size) {
    const std::string model = m_device.WithStore([](SimStore& store) { return store.Model(); });
    if (size != m_upgradeSize || !firmware || firmware->model != model) {
        // The device is no longer upgrading from here: other sessions may
        // log in and upgrade, and this one may begin again.
        m_upgradeRefused = true;
        m_device.EndUpgrade();
        Send(kUpgradeProgressEvent, EncodeUpgradeProgress({0, -2}));
        return;
    }
    const SimSdkFaults faults = m_device.Faults();
    const int steps = 10;
    for (int step = 0; step <= steps; ++step) {
        const int value = step * 100 / steps;
        const int overall = value / 2 + 50;
        if (faults.dropUpgradeAtPercent >= 0 && overall >= faults.dropUpgradeAtPercent) {
            Close(); // the image is not taken: the device keeps its version
            return;
        }
        if (faults.stallUpgradeAtPercent >= 0 && overall >= faults.stallUpgradeAtPercent) {
            return; // silent from here on, the connection stays up
        }
        if (!Send(kUpgradeProgressEvent, EncodeUpgradeProgress({-1, value})) ||
            !SleepUnlessClosed(m_device.Settings().flashMs / steps)) {
            return;
        }
    }
    Send(kUpgradeProgressEvent, EncodeUpgradeProgress({0, -1}));
    Send(kClosingEvent, EncodeClosing(static_cast<int32_t>(RestartReason::Upgrade)));
    m_device.Restart(RestartReason::Upgrade, firmware->version);
    Close();
}

} // namespace devsim
