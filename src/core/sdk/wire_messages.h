#pragma once
// Message types and payloads of the device protocol
// (docs/device-protocol.md, section 5). Decoders accept a payload only when
// it is complete, within every limit and has no trailing bytes.
#include "sdk/byte_codec.h"
#include "sdk/session_crypto.h"
#include "sdk/wire_frame.h"

#include <cstdint>
#include <optional>
#include <string>

namespace sdkwire {

enum MessageType : uint16_t {
    kHello = 0x0001,
    kChallenge = 0x0002,
    kLogin = 0x0003,
    kLoginResult = 0x0004,
    kLogout = 0x0010,
    kKeepAlive = 0x0011,
    kGetConfig = 0x0020,
    kSetConfig = 0x0021,
    kGetUsers = 0x0022,
    kModifyUser = 0x0023,
    kQueryInfo = 0x0024,
    kReboot = 0x0030,
    kRestoreDefault = 0x0031,
    kExportConfig = 0x0040,
    kImportConfig = 0x0041,
    kUpgradeBegin = 0x0050,
    kUpgradeData = 0x0051,
    kUpgradeEnd = 0x0052,
    kPreviewStart = 0x0060,
    kPreviewStop = 0x0061,
    kUpgradeProgressEvent = 0x4001,
    kPreviewFrameEvent = 0x4002,
    kClosingEvent = 0x4003,
};
constexpr uint16_t kReplyBit = 0x8000;
constexpr uint16_t ReplyType(uint16_t requestType) {
    return static_cast<uint16_t>(requestType | kReplyBit);
}
constexpr bool IsEvent(uint16_t type) {
    return (type & 0xC000) == 0x4000;
}

// Login result codes (section 6).
enum LoginCode : int32_t {
    kLoginOk = 0,
    kLoginWrongPassword = 1,
    kLoginUnknownUser = 2,
    kLoginRepeat = 4,
    kLoginLocked = 5,
    kLoginBlacklisted = 6,
    kLoginBusy = 7,
    kLoginOther = 11,
    kLoginConnectionFull = 12,
};

// Request results (section 7).
enum RequestResult : int32_t {
    kResultDone = 1,
    kResultRefused = 0,
    kResultWrongPassword = -1,
    kResultBadFirmware = -2,
    kResultUnknown = -3,
    kResultBadArgument = -4,
    kResultBusy = -6,
    kResultNoSuchUser = -7,
};

// Limits (section 8).
constexpr std::size_t kMaxCustomerText = 64;
constexpr std::size_t kMaxUserText = 95;
constexpr std::size_t kMaxInfoText = 255;
constexpr std::size_t kMaxUpgradeChunk = 64 * 1024;
// From version 4 a client keeps up to kUpgradeWindow UPGRADE_DATA requests
// open (section 5.5); with older devices one at a time.
constexpr uint8_t kUpgradeWindowVersion = 4;
constexpr std::size_t kUpgradeWindow = 16;
// From version 5 a chunk holds up to kMaxLargeUpgradeChunk bytes, with at
// most kLargeChunkWindow in flight (section 5.6).
constexpr uint8_t kLargeChunkVersion = 5;
constexpr std::size_t kMaxLargeUpgradeChunk = 512 * 1024;
constexpr std::size_t kLargeChunkWindow = 4;
constexpr std::size_t UpgradeWindow(uint8_t version) {
    return version >= kLargeChunkVersion      ? kLargeChunkWindow
           : version >= kUpgradeWindowVersion ? kUpgradeWindow
                                              : 1;
}
constexpr std::size_t UpgradeChunk(uint8_t version) {
    return version >= kLargeChunkVersion ? kMaxLargeUpgradeChunk : kMaxUpgradeChunk;
}
constexpr uint32_t kMaxFirmwareSize = 64 * 1024 * 1024;
constexpr std::size_t kMaxConfigImage = 64 * 1024;
constexpr std::size_t kMaxJpeg = 512 * 1024;

struct Hello {
    uint8_t minVersion = kProtocolVersion;
    uint8_t maxVersion = kMaxProtocolVersion;
    Nonce clientNonce{};
    std::string customer; // at most kMaxCustomerText bytes
};
// version 0: the device shares no version with the client (the other
// fields are then zero).
struct Challenge {
    uint8_t version = 2;
    Nonce deviceNonce{};
    Salt salt{};
    uint32_t iterations = kDefaultKeyIterations;
};
struct LoginRequest {
    std::string user; // at most kMaxUserText bytes
    Digest proof{};
};
struct LoginResult {
    int32_t code = kLoginOk;
    Digest deviceProof{};
};

// Encoders take texts within their limits (the callers refuse longer ones).
Bytes EncodeHello(const Hello& message);
std::optional<Hello> DecodeHello(std::span<const uint8_t> payload);
Bytes EncodeChallenge(const Challenge& message);
std::optional<Challenge> DecodeChallenge(std::span<const uint8_t> payload);
Bytes EncodeLogin(const LoginRequest& message);
std::optional<LoginRequest> DecodeLogin(std::span<const uint8_t> payload);
Bytes EncodeLoginResult(const LoginResult& message);
std::optional<LoginResult> DecodeLoginResult(std::span<const uint8_t> payload);

// MODIFY_USER's request body from version 3 on: the named user's old
// password proven, the new one's key sent (never a password).
struct ModifyUserKey {
    uint32_t operation = 6;
    std::string user; // at most kMaxUserText bytes
    Digest oldProof{};
    Digest newKey{};
};
Bytes EncodeModifyUserKey(const ModifyUserKey& message);
std::optional<ModifyUserKey> DecodeModifyUserKey(std::span<const uint8_t> body);

// Requests and replies after login: the envelope (request id, result) and
// the body fields, written and read with ByteWriter/ByteReader.
struct Request {
    uint32_t requestId = 0;
    Bytes body;
};
struct Reply {
    uint32_t requestId = 0;
    int32_t result = kResultRefused;
    Bytes body;
};
Bytes EncodeRequest(uint32_t requestId, std::span<const uint8_t> body);
std::optional<Request> DecodeRequest(std::span<const uint8_t> payload);
// The same, the body left where it is (valid while the payload is).
struct RequestView {
    uint32_t requestId = 0;
    std::span<const uint8_t> body;
};
std::optional<RequestView> ViewRequest(std::span<const uint8_t> payload);
Bytes EncodeReply(uint32_t requestId, int32_t result, std::span<const uint8_t> body);
std::optional<Reply> DecodeReply(std::span<const uint8_t> payload);

struct UpgradeProgress {
    int32_t total = 0;
    int32_t value = 0;
};
struct PreviewFrame {
    uint32_t streamId = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    uint32_t frameNumber = 0;
    Bytes jpeg;
};
Bytes EncodeUpgradeProgress(const UpgradeProgress& event);
std::optional<UpgradeProgress> DecodeUpgradeProgress(std::span<const uint8_t> payload);
Bytes EncodePreviewFrame(const PreviewFrame& event);
std::optional<PreviewFrame> DecodePreviewFrame(std::span<const uint8_t> payload);
Bytes EncodeClosing(int32_t reason);
std::optional<int32_t> DecodeClosing(std::span<const uint8_t> payload);

} // namespace sdkwire
