#include "sdk/wire_messages.h"

namespace sdkwire {

namespace {

template <typename T> std::optional<T> Finish(const ByteReader& reader, T value) {
    if (!reader.AtEnd()) {
        return std::nullopt;
    }
    return value;
}

} // namespace

Bytes EncodeHello(const Hello& message) {
    ByteWriter out;
    out.U8(message.minVersion);
    out.U8(message.maxVersion);
    out.Raw(message.clientNonce);
    out.Text(message.customer);
    return out.Take();
}

std::optional<Hello> DecodeHello(std::span<const uint8_t> payload) {
    ByteReader in(payload);
    Hello message;
    message.minVersion = in.U8();
    message.maxVersion = in.U8();
    in.Raw(message.clientNonce.data(), message.clientNonce.size());
    message.customer = in.Text(kMaxCustomerText);
    return Finish(in, message);
}

Bytes EncodeChallenge(const Challenge& message) {
    ByteWriter out;
    out.U8(message.version);
    out.Raw(message.deviceNonce);
    out.Raw(message.salt);
    out.U32(message.iterations);
    return out.Take();
}

std::optional<Challenge> DecodeChallenge(std::span<const uint8_t> payload) {
    ByteReader in(payload);
    Challenge message;
    message.version = in.U8();
    in.Raw(message.deviceNonce.data(), message.deviceNonce.size());
    in.Raw(message.salt.data(), message.salt.size());
    message.iterations = in.U32();
    return Finish(in, message);
}

Bytes EncodeModifyUserKey(const ModifyUserKey& message) {
    ByteWriter out;
    out.U32(message.operation);
    out.Text(message.user);
    out.Raw(message.oldProof);
    out.Raw(message.newKey);
    return out.Take();
}

std::optional<ModifyUserKey> DecodeModifyUserKey(std::span<const uint8_t> body) {
    ByteReader in(body);
    ModifyUserKey message;
    message.operation = in.U32();
    message.user = in.Text(kMaxUserText);
    in.Raw(message.oldProof.data(), message.oldProof.size());
    in.Raw(message.newKey.data(), message.newKey.size());
    return Finish(in, message);
}

Bytes EncodeLogin(const LoginRequest& message) {
    ByteWriter out;
    out.Text(message.user);
    out.Raw(message.proof);
    return out.Take();
}

std::optional<LoginRequest> DecodeLogin(std::span<const uint8_t> payload) {
    ByteReader in(payload);
    LoginRequest message;
    message.user = in.Text(kMaxUserText);
    in.Raw(message.proof.data(), message.proof.size());
    return Finish(in, message);
}

Bytes EncodeLoginResult(const LoginResult& message) {
    ByteWriter out;
    out.I32(message.code);
    out.Raw(message.deviceProof);
    return out.Take();
}

std::optional<LoginResult> DecodeLoginResult(std::span<const uint8_t> payload) {
    ByteReader in(payload);
    LoginResult message;
    message.code = in.I32();
    in.Raw(message.deviceProof.data(), message.deviceProof.size());
    return Finish(in, message);
}

Bytes EncodeRequest(uint32_t requestId, std::span<const uint8_t> body) {
    ByteWriter out;
    out.U32(requestId);
    out.Raw(body);
    return out.Take();
}

std::optional<Request> DecodeRequest(std::span<const uint8_t> payload) {
    const auto view = ViewRequest(payload);
    if (!view) {
        return std::nullopt;
    }
    return Request{view->requestId, Bytes(view->body.begin(), view->body.end())};
}

std::optional<RequestView> ViewRequest(std::span<const uint8_t> payload) {
    ByteReader in(payload);
    const uint32_t requestId = in.U32();
    if (!in.Ok()) {
        return std::nullopt;
    }
    return RequestView{requestId, payload.subspan(4)};
}

Bytes EncodeReply(uint32_t requestId, int32_t result, std::span<const uint8_t> body) {
    ByteWriter out;
    out.U32(requestId);
    out.I32(result);
    out.Raw(body);
    return out.Take();
}

std::optional<Reply> DecodeReply(std::span<const uint8_t> payload) {
    ByteReader in(payload);
    Reply reply;
    reply.requestId = in.U32();
    reply.result = in.I32();
    if (!in.Ok()) {
        return std::nullopt;
    }
    reply.body.assign(payload.begin() + 8, payload.end());
    return reply;
}

Bytes EncodeUpgradeProgress(const UpgradeProgress& event) {
    ByteWriter out;
    out.I32(event.total);
    out.I32(event.value);
    return out.Take();
}

std::optional<UpgradeProgress> DecodeUpgradeProgress(std::span<const uint8_t> payload) {
    ByteReader in(payload);
    UpgradeProgress event;
    event.total = in.I32();
    event.value = in.I32();
    return Finish(in, event);
}

Bytes EncodePreviewFrame(const PreviewFrame& event) {
    ByteWriter out;
    out.U32(event.streamId);
    out.U16(event.width);
    out.U16(event.height);
    out.U32(event.frameNumber);
    out.Blob(event.jpeg);
    return out.Take();
}

std::optional<PreviewFrame> DecodePreviewFrame(std::span<const uint8_t> payload) {
    ByteReader in(payload);
    PreviewFrame event;
    event.streamId = in.U32();
    event.width = in.U16();
    event.height = in.U16();
    event.frameNumber = in.U32();
    event.jpeg = in.Blob(kMaxJpeg);
    return Finish(in, std::move(event));
}

Bytes EncodeClosing(int32_t reason) {
    ByteWriter out;
    out.I32(reason);
    return out.Take();
}

std::optional<int32_t> DecodeClosing(std::span<const uint8_t> payload) {
    ByteReader in(payload);
    const int32_t reason = in.I32();
    return Finish(in, reason);
}

} // namespace sdkwire
