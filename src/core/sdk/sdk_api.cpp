// The SDK calls over the sessions and previews kept by handle (the upgrade
// calls have a file of their own).
#include "sdk/client_session.h"
#include "sdk/config_file.h"
#include "sdk/modify_user.h"
#include "sdk/sdk.h"
#include "sdk/sdk_layout.h"
#include "sdk/sdk_state.h"
#include "sdk/transfer_slots.h"
#include "sdk/upgrade_job.h"
#include "sdk/user_key_cache.h"
#include "sdk/wire_messages.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>

using namespace sdkwire;
using sdkclient::ClientSession;
using sdkclient::UpgradeJob;
using namespace sdkstate;

namespace {

thread_local std::string t_lastLoginDetail;

// The size a configuration block of this command has; 0 when the SDK does
// not know the command (the caller's buffer size is the limit then).
std::size_t BlockSizeOf(int command) {
    switch (command) {
    case sdklayout::kPortCommand:
        return sdklayout::kPortBlockSize;
    case sdklayout::kRtspCommand:
        return sdklayout::kRtspBlockSize;
    case sdklayout::kModelCommand:
        return sdklayout::kModelBlockSize;
    default:
        return 0;
    }
}

} // namespace

int SDK_Init(SdkInitCallback, void*) {
    return 1;
}

int SDK_SetCustomer(const char* customer) {
    // The program's customer codes may be a long list; the protocol carries
    // the first 64 bytes, cut before a UTF-8 continuation byte.
    std::string text = customer ? customer : "";
    if (text.size() > kMaxCustomerText) {
        std::size_t length = kMaxCustomerText;
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) {
            --length;
        }
        text.resize(length);
    }
    auto& state = State();
    std::lock_guard lock(state.mutex);
    state.customer = std::move(text);
    return 1;
}

const char* SdkLastLoginError() {
    return t_lastLoginDetail.c_str();
}

void SdkSetUpgradeTransfers(int maxTransfers) {
    sdkclient::UpgradeTransferSlots().SetCapacity(maxTransfers);
}

void SdkSetTimeouts(int connectMs, int handshakeMs, int requestMs) {
    auto& state = State();
    std::lock_guard lock(state.mutex);
    if (connectMs > 0) {
        state.timeouts.connectMs = connectMs;
    }
    if (handshakeMs > 0) {
        state.timeouts.handshakeMs = handshakeMs;
    }
    if (requestMs > 0) {
        state.timeouts.requestMs = requestMs;
    }
}

int SDK_Login(const char* ip, int port, const char* user, const char* password, unsigned char* info48,
              int* error, int, int) {
    int ignored = 0;
    int& code = error ? *error : ignored;
    if (info48) {
        std::memset(info48, 0, sdklayout::kLoginInfoSize);
    }
    if (!ip || port <= 0 || port > 0xFFFF) {
        code = sdkclient::kErrorCannotConnect;
        t_lastLoginDetail = "no address or port";
        return 0;
    }
    auto& state = State();
    sdkclient::Timeouts timeouts;
    sdkclient::LoginParameters parameters;
    parameters.ip = ip;
    parameters.port = static_cast<uint16_t>(port);
    parameters.user = user ? user : "";
    parameters.password = password ? password : "";
    {
        std::lock_guard lock(state.mutex);
        timeouts = state.timeouts;
        parameters.customer = state.customer;
    }
    sdkclient::LoginOutcome outcome;
    auto session = ClientSession::Login(parameters, timeouts, outcome);
    WipeAll(parameters.password);
    code = outcome.error;
    t_lastLoginDetail = outcome.detail;
    if (!session) {
        SdkConnectionFullCallback callback = nullptr;
        void* context = nullptr;
        {
            std::lock_guard lock(state.mutex);
            callback = state.connectionFull;
            context = state.connectionFullContext;
        }
        if (outcome.connectionFull && callback) {
            callback(context);
        }
        return 0;
    }
    std::lock_guard lock(state.mutex);
    const int handle = NewHandle(state);
    state.sessions[handle] = std::move(session);
    return handle;
}

int SDK_Logout(int loginHandle) {
    auto& state = State();
    std::shared_ptr<ClientSession> session;
    {
        std::lock_guard lock(state.mutex);
        const auto found = state.sessions.find(loginHandle);
        if (found == state.sessions.end()) {
            return 0;
        }
        session = std::move(found->second);
        state.sessions.erase(found);
    }
    session->Close(true);
    return 1;
}

int SDK_GetConfig(int loginHandle, int command, int, void* buffer, int size, int* length, int, int,
                  int timeoutMs) {
    if (!buffer || size < 0) {
        return 0;
    }
    ByteWriter body;
    body.U32(static_cast<uint32_t>(command));
    const auto reply = CallOn(loginHandle, kGetConfig, body.Data(), timeoutMs);
    if (!reply || reply->result != kResultDone) {
        return 0;
    }
    ByteReader in(reply->body);
    const Bytes block = in.Blob(static_cast<std::size_t>(size));
    if (!in.AtEnd()) {
        return 0; // larger than the caller's buffer, or malformed
    }
    // A known block of another size would be written back padded or cut,
    // and the device's other settings in it lost.
    const std::size_t expected = BlockSizeOf(command);
    if (expected != 0 && block.size() != expected) {
        return 0;
    }
    std::memcpy(buffer, block.data(), block.size());
    if (length) {
        *length = static_cast<int>(block.size());
    }
    return 1;
}

int SDK_SetConfig(int loginHandle, int command, int, const void* buffer, int size, int) {
    if (!buffer || size < 0) {
        return 0;
    }
    ByteWriter body;
    body.U32(static_cast<uint32_t>(command));
    body.Blob(std::span(static_cast<const uint8_t*>(buffer), static_cast<std::size_t>(size)));
    return ResultOf(CallOn(loginHandle, kSetConfig, body.Data()));
}

int SDK_QueryDeviceInfo(int loginHandle, int item, char* buffer, int size, int* length, int timeoutMs) {
    if (!buffer || size <= 0) {
        return 0;
    }
    ByteWriter body;
    body.U32(static_cast<uint32_t>(item));
    const auto reply = CallOn(loginHandle, kQueryInfo, body.Data(), timeoutMs);
    if (!reply || reply->result != kResultDone) {
        return 0;
    }
    ByteReader in(reply->body);
    const std::string text = in.Text(kMaxInfoText);
    if (!in.AtEnd()) {
        return 0;
    }
    const std::size_t copied = std::min(text.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(buffer, text.data(), copied);
    buffer[copied] = '\0';
    if (length) {
        *length = static_cast<int>(copied);
    }
    return 1;
}

int SDK_ExportConfig(int loginHandle, int, const char* path, int, int) {
    if (!path || !*path) {
        return 0;
    }
    const auto reply = CallOn(loginHandle, kExportConfig, {});
    if (!reply || reply->result != kResultDone) {
        return 0;
    }
    ByteReader in(reply->body);
    const Bytes image = in.Blob(kMaxConfigImage);
    if (!in.AtEnd()) {
        return 0;
    }
    // A configuration holds the device's settings: for the user alone.
    return WriteWholeFile(path, EncodeConfigFile(image), 0600) ? 1 : 0;
}

int SDK_ImportConfig(int loginHandle, const char* path, int, int, int, int, int) {
    if (!path) {
        return 0;
    }
    // A damaged or foreign file is refused here, before the device sees it.
    const auto file = ReadWholeFile(path, kMaxConfigImage + 64);
    const auto image = file ? DecodeConfigFile(*file) : std::nullopt;
    if (!image) {
        return 0;
    }
    ByteWriter body;
    body.Blob(*image);
    return ResultOf(CallOn(loginHandle, kImportConfig, body.Data())) == kResultDone ? 1 : 0;
}

int SDK_GetUserInfo(int loginHandle, void* buffer, int timeoutMs) {
    if (!buffer) {
        return 0;
    }
    auto reply = CallOn(loginHandle, kGetUsers, {}, timeoutMs);
    if (!reply || reply->result != kResultDone) {
        return 0;
    }
    ByteReader in(reply->body);
    Bytes table = in.Blob(sdklayout::kUserTableSize);
    const bool whole = in.AtEnd() && table.size() == sdklayout::kUserTableSize;
    if (whole) {
        std::memcpy(buffer, table.data(), table.size());
    }
    WipeAll(table);
    WipeAll(reply->body);
    return whole ? 1 : 0;
}

int SDK_ModifyUser(int loginHandle, int operation, const void* newRecord, const void* oldRecord,
                   int timeoutMs) {
    if (!newRecord || !oldRecord) {
        return 0;
    }
    // The device derives user keys at its cost (two for version 2, one for
    // version 3): the caller's time-out is for the exchange.
    constexpr int kKeyDerivationAllowanceMs = 4000;
    if (const auto session = SessionOf(loginHandle); session && session->Agreed().version >= 3) {
        auto keyBody =
            sdkclient::ModifyUserKeyBody(session->Agreed(), operation, static_cast<const uint8_t*>(newRecord),
                                         static_cast<const uint8_t*>(oldRecord));
        if (!keyBody) {
            return kResultBadArgument;
        }
        const int result =
            ResultOf(CallOn(loginHandle, kModifyUser, *keyBody, timeoutMs + kKeyDerivationAllowanceMs));
        WipeAll(*keyBody);
        return result;
    }
    ByteWriter body;
    body.U32(static_cast<uint32_t>(operation));
    body.Blob(std::span(static_cast<const uint8_t*>(newRecord), sdklayout::kUserRecordSize));
    body.Blob(std::span(static_cast<const uint8_t*>(oldRecord), sdklayout::kUserRecordSize));
    Bytes request = body.Take(); // carries both passwords
    const int result =
        ResultOf(CallOn(loginHandle, kModifyUser, request, timeoutMs + kKeyDerivationAllowanceMs));
    WipeAll(request);
    return result;
}

int SDK_Reboot(int loginHandle) {
    return ResultOf(CallOn(loginHandle, kReboot, {}));
}

int SDK_RestoreDefault(int loginHandle, unsigned int mask) {
    ByteWriter body;
    body.U32(mask);
    return ResultOf(CallOn(loginHandle, kRestoreDefault, body.Data()));
}

int SDK_SetPreviewOption(int, int) {
    return 1;
}

int SDK_ConnectionFullCallBack(SdkConnectionFullCallback callback, void* context) {
    auto& state = State();
    std::lock_guard lock(state.mutex);
    state.connectionFull = callback;
    state.connectionFullContext = context;
    return 1;
}

int SDK_StartPreview(int loginHandle, int, SdkFrameSink* sink, int stream, int) {
    auto session = SessionOf(loginHandle);
    if (!session || !sink) {
        return 0;
    }
    ByteWriter body;
    body.U32(static_cast<uint32_t>(stream));
    const auto reply = session->Call(kPreviewStart, body.Data());
    if (!reply || reply->result != kResultDone) {
        return 0;
    }
    ByteReader in(reply->body);
    const uint32_t streamId = in.U32();
    if (!in.AtEnd()) {
        return 0;
    }
    session->AddPreviewSink(streamId, sink);
    auto& state = State();
    std::lock_guard lock(state.mutex);
    const int handle = NewHandle(state);
    state.previews[handle] = PreviewEntry{std::move(session), streamId};
    return handle;
}

int SDK_StopPreview(int previewHandle) {
    PreviewEntry entry;
    {
        auto& state = State();
        std::lock_guard lock(state.mutex);
        const auto found = state.previews.find(previewHandle);
        if (found == state.previews.end()) {
            return 0;
        }
        entry = std::move(found->second);
        state.previews.erase(found);
    }
    // After this returns the sink is never called again.
    entry.session->RemovePreviewSink(entry.streamId);
    ByteWriter body;
    body.U32(entry.streamId);
    entry.session->Call(kPreviewStop, body.Data(), 1000);
    return 1;
}

void SdkCloseAll() {
    auto& state = State();
    std::map<int, std::shared_ptr<ClientSession>> sessions;
    std::map<int, std::shared_ptr<UpgradeJob>> upgrades;
    std::map<int, PreviewEntry> previews;
    {
        std::lock_guard lock(state.mutex);
        sessions.swap(state.sessions);
        upgrades.swap(state.upgrades);
        previews.swap(state.previews);
    }
    for (auto& [handle, preview] : previews) {
        preview.session->RemovePreviewSink(preview.streamId);
    }
    for (auto& [handle, job] : upgrades) {
        job->Close();
    }
    for (auto& [handle, session] : sessions) {
        session->Close(false);
    }
    sdkclient::ClearUserKeyCache();
}
