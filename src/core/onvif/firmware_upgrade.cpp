#include "onvif/firmware_upgrade.h"

#include "onvif/device_responses.h"
#include "onvif/mtom.h"
#include "onvif/system_messages.h"

#include <algorithm>

namespace onvif {
namespace {

constexpr const char* kFirmwareContentId = "firmware@corvane";

UpgradeOutcome FromCall(const CallResult& call) {
    switch (call.outcome) {
    case CallOutcome::Ok:
        return UpgradeOutcome::Ok;
    case CallOutcome::Refused:
        return UpgradeOutcome::WrongPassword;
    case CallOutcome::Locked:
        return UpgradeOutcome::Locked;
    case CallOutcome::Unreachable:
    case CallOutcome::Timeout:
        return UpgradeOutcome::Unreachable;
    case CallOutcome::Fault:
        return IsNotSupported(call) ? UpgradeOutcome::NotSupported : UpgradeOutcome::Failed;
    case CallOutcome::BadReply:
        break;
    }
    return UpgradeOutcome::Failed;
}

// Turns bytes sent into each percent once, in order.
class PercentReporter {
public:
    explicit PercentReporter(const std::function<void(int)>& progress) : m_progress(progress) {}
    void Bytes(uint64_t sent, uint64_t total) {
        if (total > 0) {
            To(static_cast<int>(std::min<uint64_t>(sent, total) * 100 / total));
        }
    }
    int Last() const { return m_last; }
    void To(int percent) {
        while (m_last < percent) {
            ++m_last;
            if (m_progress) {
                m_progress(m_last);
            }
        }
    }

private:
    const std::function<void(int)>& m_progress;
    int m_last = -1;
};

UpgradeOutcome FromUpload(const FileReply& reply) {
    switch (reply.result) {
    case TransportResult::Ok:
        break;
    case TransportResult::Unreachable:
        return UpgradeOutcome::Unreachable;
    default:
        return UpgradeOutcome::TransferFailed;
    }
    if (reply.httpStatus >= 200 && reply.httpStatus < 300) {
        return UpgradeOutcome::Ok;
    }
    if (reply.httpStatus == 401) {
        return UpgradeOutcome::WrongPassword;
    }
    // 415: the image is not one this device takes.
    return reply.httpStatus == 415 ? UpgradeOutcome::Refused : UpgradeOutcome::Failed;
}

// Asks until the device answers with another version, or the time is up. A
// device seen away that answers with the old version restarted with it.
UpgradeOutcome AwaitNewVersion(const DeviceChannel& channel, const UpgradeTiming& timing, int64_t downMs,
                               UpgradeResult& result) {
    DeviceInformation last;
    bool restartedOld = false;
    const ComeBack back = AwaitComeBack(
        channel, timing.comeBack, downMs,
        [&](const DeviceInformation& info, bool wasAway) {
            restartedOld = wasAway && info.firmwareVersion == result.oldVersion;
            return restartedOld || info.firmwareVersion != result.oldVersion;
        },
        last);
    result.newVersion = last.firmwareVersion;
    switch (back) {
    case ComeBack::Accepted:
        return restartedOld ? UpgradeOutcome::VersionUnchanged : UpgradeOutcome::Ok;
    case ComeBack::Unaccepted:
        return UpgradeOutcome::VersionUnchanged;
    case ComeBack::NotBack:
        return UpgradeOutcome::NotBack;
    case ComeBack::Refused:
        return UpgradeOutcome::WrongPassword;
    case ComeBack::Cancelled:
        break;
    }
    return UpgradeOutcome::Cancelled;
}

UpgradeOutcome Upgrade(const DeviceChannel& channel, ByteRange image,
                       const std::function<void(int)>& progress, const UpgradeTiming& timing,
                       UpgradeResult& result) {
    if (image.empty()) {
        return UpgradeOutcome::Failed;
    }
    const CallResult before = channel.Call("GetDeviceInformation", kGetDeviceInformation);
    const auto info = before.outcome == CallOutcome::Ok ? ParseDeviceInformation(before.body) : std::nullopt;
    if (!info) {
        return before.outcome == CallOutcome::Ok ? UpgradeOutcome::Failed : FromCall(before);
    }
    result.oldVersion = info->firmwareVersion;
    PercentReporter percent(progress);
    percent.To(0);
    const CallResult start = channel.Call("StartFirmwareUpgrade", kStartFirmwareUpgrade);
    int64_t downMs = timing.fallbackDownMs;
    if (start.outcome == CallOutcome::Ok) {
        const auto ticket = ParseStartFirmwareUpgrade(start.body);
        if (!ticket) {
            return UpgradeOutcome::Failed;
        }
        if (!channel.Wait(std::clamp<int64_t>(ticket->uploadDelayMs, 0, timing.maxUploadDelayMs))) {
            return UpgradeOutcome::Cancelled;
        }
        FileTransfer upload = channel.Transfer(ReachableUri(ticket->uploadUri, channel.target.url));
        upload.upload = true;
        upload.contentType = "application/octet-stream";
        upload.body = {image};
        upload.progress = [&percent](uint64_t sent, uint64_t total) { percent.Bytes(sent, total); };
        const FileReply reply = channel.files.Transfer(upload);
        if (channel.Cancelled()) {
            return UpgradeOutcome::Cancelled;
        }
        // A device may start flashing, or restart, before it answers the
        // post: with the whole image sent, a missing answer is no failure;
        // the version read back decides.
        const bool answerLost = reply.result != TransportResult::Ok && percent.Last() == 100;
        if (const UpgradeOutcome uploaded = FromUpload(reply);
            uploaded != UpgradeOutcome::Ok && !answerLost) {
            return uploaded;
        }
        downMs = ticket->expectedDownMs;
    } else if (IsNotSupported(start)) {
        result.usedFallback = true;
        const std::string body =
            std::string("<tds:UpgradeSystemFirmware><tds:Firmware><xop:Include xmlns:xop=\"") +
            kXopNamespace + "\" href=\"cid:" + kFirmwareContentId +
            "\"/></tds:Firmware></tds:UpgradeSystemFirmware>";
        const AttachmentCallResult sent = CallWithAttachment(
            channel, "UpgradeSystemFirmware", body, kFirmwareContentId, image, kMaxReplyBytes,
            [&percent](uint64_t done, uint64_t total) { percent.Bytes(done, total); });
        if (channel.Cancelled()) {
            return UpgradeOutcome::Cancelled;
        }
        if (sent.call.outcome != CallOutcome::Ok) {
            // A device that cannot read the image answers with a fault.
            const bool refusedImage = sent.call.outcome == CallOutcome::Fault && !IsNotSupported(sent.call);
            return refusedImage ? UpgradeOutcome::Refused
                                : (sent.raw.result == TransportResult::Failed ? UpgradeOutcome::TransferFailed
                                                                              : FromCall(sent.call));
        }
    } else {
        return FromCall(start);
    }
    percent.To(100);
    return AwaitNewVersion(channel, timing, downMs, result);
}

} // namespace

const char* UpgradeOutcomeKey(UpgradeOutcome outcome) {
    switch (outcome) {
    case UpgradeOutcome::Ok:
        return "";
    case UpgradeOutcome::Refused:
        return "info.Fail_image_refused";
    case UpgradeOutcome::WrongPassword:
        return "info.login_password_err";
    case UpgradeOutcome::Locked:
        return "info.login_user_lock";
    case UpgradeOutcome::Unreachable:
        return "info.login_con_host";
    case UpgradeOutcome::NotBack:
        return "info.Fail_not_back";
    case UpgradeOutcome::VersionUnchanged:
        return "info.Fail_version_unchanged";
    case UpgradeOutcome::NotSupported:
        return "info.Fail_device_not_supported";
    case UpgradeOutcome::TransferFailed:
        return "info.Fail_transfer";
    case UpgradeOutcome::Cancelled:
        return "info.operate_fail";
    case UpgradeOutcome::Failed:
        break;
    }
    return "info.Fail_refused";
}

UpgradeResult UpgradeOnvifFirmware(const DeviceChannel& channel, ByteRange image,
                                   const std::function<void(int)>& progress, const UpgradeTiming& timing) {
    UpgradeResult result;
    result.outcome = Upgrade(channel, image, progress, timing, result);
    result.errorKey = UpgradeOutcomeKey(result.outcome);
    return result;
}

} // namespace onvif
