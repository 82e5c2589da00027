#include "sdk/modify_user.h"

#include "sdk/sdk_layout.h"
#include "sdk/wire_messages.h"

#include <cstring>

namespace sdkclient {

namespace {

// The text of a zero-terminated field; nothing without its zero byte.
std::optional<std::string> FieldText(const uint8_t* field, std::size_t size) {
    const void* end = std::memchr(field, 0, size);
    if (end == nullptr) {
        return std::nullopt;
    }
    return std::string(reinterpret_cast<const char*>(field),
                       static_cast<std::size_t>(static_cast<const uint8_t*>(end) - field));
}

} // namespace

std::optional<sdkwire::Bytes> ModifyUserKeyBody(const ClientSession::Agreement& agreement, int operation,
                                                const uint8_t* newRecord, const uint8_t* oldRecord) {
    using namespace sdklayout;
    auto user = FieldText(oldRecord + kUserNameOffset, kUserNameSize);
    auto oldPassword = FieldText(oldRecord + kUserPasswordOffset, kUserPasswordSize);
    auto newPassword = FieldText(newRecord + kUserPasswordOffset, kUserPasswordSize);
    std::optional<sdkwire::Bytes> body;
    if (user && oldPassword && newPassword && !user->empty() && user->size() <= sdkwire::kMaxUserText) {
        sdkwire::ModifyUserKey message;
        message.operation = static_cast<uint32_t>(operation);
        message.user = *user;
        sdkwire::Digest oldKey = sdkwire::UserKey(*user, *oldPassword, agreement.salt, agreement.iterations);
        message.newKey = sdkwire::UserKey(*user, *newPassword, agreement.salt, agreement.iterations);
        message.oldProof = sdkwire::ModifyProof(oldKey, agreement.transcriptHash, *user, message.newKey);
        body = sdkwire::EncodeModifyUserKey(message);
        sdkwire::WipeAll(oldKey);
        sdkwire::WipeAll(message.newKey);
    }
    for (auto* secret : {&oldPassword, &newPassword}) {
        if (*secret) {
            sdkwire::WipeAll(**secret);
        }
    }
    return body;
}

} // namespace sdkclient
