#include "onvif/config_backup.h"

#include "onvif/mtom.h"
#include "onvif/system_messages.h"
#include "onvif/xml_reader.h"
#include "platform/atomic_file.h"

#include <fstream>
#include <openssl/evp.h>

namespace onvif {
namespace {

constexpr const char* kBackupContentId = "backup@corvane";

BackupOutcome FromCall(const CallResult& call) {
    switch (call.outcome) {
    case CallOutcome::Ok:
        return BackupOutcome::Ok;
    case CallOutcome::Refused:
        return BackupOutcome::WrongPassword;
    case CallOutcome::Locked:
        return BackupOutcome::Locked;
    case CallOutcome::Unreachable:
    case CallOutcome::Timeout:
        return BackupOutcome::Unreachable;
    case CallOutcome::Fault:
        return IsNotSupported(call) ? BackupOutcome::NotSupported : BackupOutcome::Failed;
    case CallOutcome::BadReply:
        break;
    }
    return BackupOutcome::Failed;
}

BackupOutcome FromTransfer(const FileReply& reply) {
    switch (reply.result) {
    case TransportResult::Ok:
        break;
    case TransportResult::Unreachable:
        return BackupOutcome::Unreachable;
    default:
        return BackupOutcome::TransferFailed;
    }
    if (reply.httpStatus >= 200 && reply.httpStatus < 300) {
        return BackupOutcome::Ok;
    }
    if (reply.httpStatus == 401) {
        return BackupOutcome::WrongPassword;
    }
    return reply.httpStatus == 415 || reply.httpStatus == 400 ? BackupOutcome::Refused
                                                              : BackupOutcome::Failed;
}

std::optional<std::string> Base64Decode(std::string_view text) {
    std::string clean;
    for (const char c : text) {
        if (c != ' ' && c != '\n' && c != '\r' && c != '\t') {
            clean += c;
        }
    }
    if (clean.size() % 4 != 0) {
        return std::nullopt;
    }
    std::string out(clean.size() / 4 * 3, '\0');
    const int size =
        EVP_DecodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                        reinterpret_cast<const unsigned char*>(clean.data()), static_cast<int>(clean.size()));
    if (size < 0) {
        return std::nullopt;
    }
    const std::size_t padding = clean.ends_with("==") ? 2 : (clean.ends_with("=") ? 1 : 0);
    out.resize(static_cast<std::size_t>(size) - padding);
    return out;
}

std::optional<std::string> ReadBounded(const std::string& path, std::size_t maxBytes) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : -1;
    if (size <= 0 || static_cast<uint64_t>(size) > maxBytes) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.seekg(0);
    if (!in.read(bytes.data(), size)) {
        return std::nullopt;
    }
    return bytes;
}

std::string FileName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

BackupOutcome Export(const DeviceChannel& channel, const std::string& path, std::size_t maxBytes,
                     BackupResult& result) {
    const CallResult uris = channel.Call("GetSystemUris", kGetSystemUris);
    std::optional<std::string> uri =
        uris.outcome == CallOutcome::Ok ? ParseSystemBackupUri(uris.body) : std::nullopt;
    if (uris.outcome != CallOutcome::Ok && !IsNotSupported(uris)) {
        return FromCall(uris);
    }
    std::optional<std::string> backup;
    if (uri && !uri->empty()) {
        FileTransfer get = channel.Transfer(ReachableUri(*uri, channel.target.url));
        get.maxReplyBytes = maxBytes;
        FileReply reply = channel.files.Transfer(get);
        if (const BackupOutcome got = FromTransfer(reply); got != BackupOutcome::Ok) {
            return got;
        }
        backup = std::move(reply.body);
    } else {
        result.usedFallback = true;
        const AttachmentCallResult sent = CallWithAttachment(channel, "GetSystemBackup", kGetSystemBackup, {},
                                                             {}, maxBytes + kMaxReplyBytes);
        if (sent.call.outcome != CallOutcome::Ok) {
            return sent.raw.result == TransportResult::TooLarge ? BackupOutcome::TransferFailed
                                                                : FromCall(sent.call);
        }
        backup = ParseSystemBackup(sent.raw.contentType, sent.raw.body);
        if (!backup) {
            return BackupOutcome::Failed;
        }
    }
    if (backup->empty() || backup->size() > maxBytes) {
        return backup->empty() ? BackupOutcome::Failed : BackupOutcome::TransferFailed;
    }
    result.bytes = backup->size();
    const platform::AtomicWriteOptions options{0600};
    return platform::WriteFileAtomically(
               path, std::span(reinterpret_cast<const uint8_t*>(backup->data()), backup->size()), options)
               ? BackupOutcome::Ok
               : BackupOutcome::FileError;
}

BackupOutcome Restore(const DeviceChannel& channel, const std::string& path, const ComeBackTiming& timing,
                      std::size_t maxBytes, BackupResult& result) {
    const std::optional<std::string> file = ReadBounded(path, maxBytes);
    if (!file) {
        return BackupOutcome::FileError;
    }
    result.bytes = file->size();
    const ByteRange bytes(reinterpret_cast<const uint8_t*>(file->data()), file->size());
    const CallResult start = channel.Call("StartSystemRestore", kStartSystemRestore);
    int64_t downMs = 0;
    if (start.outcome == CallOutcome::Ok) {
        const auto ticket = ParseStartSystemRestore(start.body);
        if (!ticket) {
            return BackupOutcome::Failed;
        }
        FileTransfer post = channel.Transfer(ReachableUri(ticket->uploadUri, channel.target.url));
        post.upload = true;
        post.contentType = "application/octet-stream";
        post.body = {bytes};
        if (const BackupOutcome sent = FromTransfer(channel.files.Transfer(post));
            sent != BackupOutcome::Ok) {
            return sent;
        }
        downMs = ticket->expectedDownMs;
    } else if (IsNotSupported(start)) {
        result.usedFallback = true;
        const std::string body = "<tds:RestoreSystem><tds:BackupFiles><tt:Name>" + Escape(FileName(path)) +
                                 "</tt:Name><tt:Data><xop:Include xmlns:xop=\"" + kXopNamespace +
                                 "\" href=\"cid:" + kBackupContentId +
                                 "\"/></tt:Data></tds:BackupFiles></tds:RestoreSystem>";
        const AttachmentCallResult sent =
            CallWithAttachment(channel, "RestoreSystem", body, kBackupContentId, bytes, kMaxReplyBytes);
        if (sent.call.outcome == CallOutcome::Fault && !IsNotSupported(sent.call)) {
            return BackupOutcome::Refused;
        }
        if (sent.call.outcome != CallOutcome::Ok) {
            return sent.raw.result == TransportResult::Failed ? BackupOutcome::TransferFailed
                                                              : FromCall(sent.call);
        }
    } else {
        return FromCall(start);
    }
    DeviceInformation last;
    switch (AwaitComeBack(
        channel, timing, downMs, [](const DeviceInformation&, bool) { return true; }, last)) {
    case ComeBack::Accepted:
    case ComeBack::Unaccepted:
    case ComeBack::Refused: // back, with the accounts of the restored configuration
        return BackupOutcome::Ok;
    case ComeBack::NotBack:
        return BackupOutcome::NotBack;
    case ComeBack::Cancelled:
        break;
    }
    return BackupOutcome::Cancelled;
}

} // namespace

const char* BackupOutcomeKey(BackupOutcome outcome) {
    switch (outcome) {
    case BackupOutcome::Ok:
        return "";
    case BackupOutcome::Refused:
        return "info.Fail_not_config_file";
    case BackupOutcome::WrongPassword:
        return "info.login_password_err";
    case BackupOutcome::Locked:
        return "info.login_user_lock";
    case BackupOutcome::Unreachable:
        return "info.login_con_host";
    case BackupOutcome::NotSupported:
        return "info.Fail_device_not_supported";
    case BackupOutcome::TransferFailed:
        return "info.Fail_transfer";
    case BackupOutcome::FileError:
        return "info.Fail_file";
    case BackupOutcome::NotBack:
        return "info.Fail_not_back";
    case BackupOutcome::Cancelled:
        return "info.operate_fail";
    case BackupOutcome::Failed:
        break;
    }
    return "info.Fail_refused";
}

BackupResult ExportOnvifBackup(const DeviceChannel& channel, const std::string& path, std::size_t maxBytes) {
    BackupResult result;
    result.outcome = Export(channel, path, maxBytes, result);
    result.errorKey = BackupOutcomeKey(result.outcome);
    return result;
}

BackupResult RestoreOnvifBackup(const DeviceChannel& channel, const std::string& path,
                                const ComeBackTiming& timing, std::size_t maxBytes) {
    BackupResult result;
    result.outcome = Restore(channel, path, timing, maxBytes, result);
    result.errorKey = BackupOutcomeKey(result.outcome);
    return result;
}

std::optional<std::string> ParseSystemBackup(std::string_view contentType, std::string_view body) {
    const auto multipart = ParseMultipart(contentType, body);
    const std::string_view root = multipart ? multipart->parts[multipart->root].data : body;
    const auto response = ParseResponseNamed(root, "GetSystemBackupResponse");
    if (!response) {
        return std::nullopt;
    }
    const pugi::xml_node data = Path(response->content, {"BackupFiles", "Data"});
    const pugi::xml_node include = Child(data, "Include");
    if (!include) {
        return data ? Base64Decode(data.text().get()) : std::nullopt;
    }
    const std::string id = ContentIdOf(include.attribute("href").value());
    for (std::size_t i = 0; multipart && !id.empty() && i < multipart->parts.size(); ++i) {
        if (i != multipart->root && multipart->parts[i].contentId == id) {
            return std::string(multipart->parts[i].data);
        }
    }
    return std::nullopt;
}

} // namespace onvif
