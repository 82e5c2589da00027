#include "onvif/attachment_call.h"

#include "onvif/mtom.h"

#include <algorithm>

namespace onvif {
namespace {

void Classify(const FileReply& reply, CallResult& result) {
    switch (reply.result) {
    case TransportResult::Ok:
        break;
    case TransportResult::Unreachable:
        result.outcome = CallOutcome::Unreachable;
        return;
    case TransportResult::Timeout:
        result.outcome = CallOutcome::Timeout;
        return;
    case TransportResult::TooLarge:
    case TransportResult::Failed:
        result.outcome = CallOutcome::BadReply;
        return;
    }
    std::string_view root = reply.body;
    const auto multipart = ParseMultipart(reply.contentType, reply.body);
    if (multipart) {
        root = multipart->parts[multipart->root].data;
    }
    const auto response = ParseSoapResponse(root);
    if (response && response->fault) {
        result.fault = response->fault;
    }
    if (reply.httpStatus == 401 || (result.fault && IsAuthenticationFault(*result.fault))) {
        result.outcome = CallOutcome::Refused;
    } else if (!response) {
        result.outcome = CallOutcome::BadReply;
    } else if (result.fault) {
        result.outcome = CallOutcome::Fault;
    } else {
        result.outcome =
            reply.httpStatus >= 200 && reply.httpStatus < 300 ? CallOutcome::Ok : CallOutcome::BadReply;
    }
    if (response) {
        result.body = std::string(root);
    }
}

} // namespace

bool DeviceChannel::Wait(int64_t ms) const {
    const int64_t end = clock.NowMs() + ms;
    for (int64_t now = clock.NowMs(); now < end; now = clock.NowMs()) {
        if (Cancelled()) {
            return false;
        }
        clock.SleepMs(std::min<int64_t>(end - now, 200));
    }
    return !Cancelled();
}

CallResult DeviceChannel::Call(std::string_view name, std::string_view body) const {
    return CallAuthenticated(soap, auth, target, credentials, DeviceAction(name), body, utcSeconds());
}

FileTransfer DeviceChannel::Transfer(const std::string& url) const {
    FileTransfer transfer;
    transfer.url = url;
    transfer.auth = credentials.allowPlainText ? HttpAuth::DigestOrBasic : HttpAuth::Digest;
    transfer.user = credentials.user;
    transfer.password = credentials.password;
    transfer.connectTimeoutMs = target.timeoutMs;
    transfer.cancelled = cancelled;
    return transfer;
}

AttachmentCallResult CallWithAttachment(const DeviceChannel& channel, std::string_view name,
                                        std::string_view body, std::string_view contentId,
                                        ByteRange attachment, std::size_t maxReplyBytes,
                                        const std::function<void(uint64_t, uint64_t)>& progress) {
    AttachmentCallResult result;
    FileTransfer transfer = channel.Transfer(channel.target.url);
    transfer.upload = true;
    transfer.maxReplyBytes = maxReplyBytes;
    transfer.progress = progress;
    std::string envelope;
    if (channel.auth.Get(channel.target.url) == AuthMethod::UsernameToken) {
        const UsernameToken token =
            MakeUsernameToken(channel.credentials.user, channel.credentials.password,
                              channel.utcSeconds() + channel.target.clockOffsetSeconds);
        envelope = BuildSoapEnvelope(body, &token);
        transfer.auth = HttpAuth::None;
        result.call.method = AuthMethod::UsernameToken;
    } else {
        envelope = BuildSoapEnvelope(body);
        result.call.method = AuthMethod::HttpDigest;
    }
    const std::string action = DeviceAction(name);
    MtomFrame frame;
    if (attachment.empty()) {
        transfer.contentType = "application/soap+xml; charset=utf-8; action=\"" + action + "\"";
        transfer.body = {ByteRange(reinterpret_cast<const uint8_t*>(envelope.data()), envelope.size())};
    } else {
        frame = MakeMtomFrame(envelope, action, contentId);
        transfer.contentType = frame.contentType;
        transfer.body = {ByteRange(reinterpret_cast<const uint8_t*>(frame.head.data()), frame.head.size()),
                         attachment,
                         ByteRange(reinterpret_cast<const uint8_t*>(frame.tail.data()), frame.tail.size())};
    }
    result.raw = channel.files.Transfer(transfer);
    result.call.attempts = 1;
    Classify(result.raw, result.call);
    return result;
}

ComeBack AwaitComeBack(const DeviceChannel& channel, const ComeBackTiming& timing, int64_t downMs,
                       const std::function<bool(const DeviceInformation&, bool wasAway)>& accept,
                       DeviceInformation& last) {
    if (!channel.Wait(std::clamp<int64_t>(downMs, 0, timing.maxDownMs))) {
        return ComeBack::Cancelled;
    }
    DeviceChannel polling = channel;
    polling.target.timeoutMs = timing.pollTimeoutMs;
    const int64_t deadline = channel.clock.NowMs() + timing.comeBackMs;
    bool answered = false;
    bool away = false;
    while (true) {
        const CallResult call = polling.Call("GetDeviceInformation", kGetDeviceInformation);
        const auto info = call.outcome == CallOutcome::Ok ? ParseDeviceInformation(call.body) : std::nullopt;
        if (info) {
            answered = true;
            last = *info;
            if (accept(*info, away)) {
                return ComeBack::Accepted;
            }
        } else if (call.outcome == CallOutcome::Refused || call.outcome == CallOutcome::Locked) {
            return ComeBack::Refused;
        } else {
            away = true;
        }
        if (channel.clock.NowMs() >= deadline) {
            return answered ? ComeBack::Unaccepted : ComeBack::NotBack;
        }
        if (!channel.Wait(timing.pollIntervalMs)) {
            return ComeBack::Cancelled;
        }
    }
}

bool IsNotSupported(const CallResult& result) {
    return result.outcome == CallOutcome::Fault && result.fault &&
           (result.fault->subcode == "ActionNotSupported" || result.fault->subcode == "ActionNotImplemented");
}

} // namespace onvif
