#include "operate/device_steps.h"

#include "sdk/byte_codec.h"
#include "sdk/sdk_layout.h"
#include "sdk/session_crypto.h"

#include <algorithm>
#include <cstring>
#include <vector>

using namespace sdklayout;

namespace {

std::string FieldText(const uint8_t* at, std::size_t size) {
    const uint8_t* end = std::find(at, at + size, 0);
    return std::string(at, end);
}

void PutField(uint8_t* at, std::size_t size, const std::string& text) {
    std::memset(at, 0, size);
    std::memcpy(at, text.data(), std::min(text.size(), size - 1));
}

bool GetBlock(const SdkCalls& sdk, int handle, int command, std::vector<uint8_t>& block) {
    int length = 0;
    return sdk.getConfig(handle, command, -1, block.data(), static_cast<int>(block.size()), &length, -1, 0,
                         0) == 1;
}

bool SetBlock(const SdkCalls& sdk, int handle, int command, const std::vector<uint8_t>& block) {
    return sdk.setConfig(handle, command, -1, block.data(), static_cast<int>(block.size()), -1) == 1;
}

} // namespace

int ChangePassword(const DeviceLogin& login, const std::string& oldPassword, const std::string& newPassword,
                   const SdkCalls& sdk) {
    // A password that does not fit its field would be cut: never change to
    // something the installer did not type.
    if (oldPassword.size() >= kUserPasswordSize || newPassword.size() >= kUserPasswordSize) {
        return -4;
    }
    // The device serves its user table without passwords (only the own
    // record to a user who is not an administrator); the two copies get the
    // old and the new password here, and every copy is wiped after use.
    std::vector<uint8_t> table(kUserTableSize, 0);
    int result = 0;
    if (sdk.getUserInfo(login.handle, table.data(), 30000) == 1) {
        for (std::size_t i = 0; i < kUserCount; ++i) {
            const uint8_t* record = table.data() + kFirstUserOffset + i * kUserRecordSize;
            if (FieldText(record + kUserNameOffset, kUserNameSize) != login.user) {
                continue;
            }
            std::vector<uint8_t> oldCopy(record, record + kUserRecordSize);
            std::vector<uint8_t> newCopy = oldCopy;
            PutField(oldCopy.data() + kUserPasswordOffset, kUserPasswordSize, oldPassword);
            PutField(newCopy.data() + kUserPasswordOffset, kUserPasswordSize, newPassword);
            // The SDK adds the device's key derivations to this time-out.
            result = sdk.modifyUser(login.handle, kModifyUserPassword, newCopy.data(), oldCopy.data(), 1000);
            sdkwire::WipeAll(oldCopy);
            sdkwire::WipeAll(newCopy);
            break;
        }
    }
    sdkwire::WipeAll(table);
    return result;
}

PortChangeResult ChangePorts(DeviceEntry& entry, const DeviceLogin& login, const PortTriple& ports,
                             const SdkCalls& sdk) {
    PortChangeResult result;
    std::vector<uint8_t> portBlock(kPortBlockSize, 0);
    std::vector<uint8_t> rtspBlock(kRtspBlockSize, 0);
    if (!GetBlock(sdk, login.handle, kPortCommand, portBlock) ||
        !GetBlock(sdk, login.handle, kRtspCommand, rtspBlock)) {
        return result;
    }
    sdkwire::StoreU32(portBlock.data() + kHttpPortOffset, static_cast<uint32_t>(ports.http));
    sdkwire::StoreU32(portBlock.data() + kTcpPortOffset, static_cast<uint32_t>(ports.tcp));
    sdkwire::StoreU16(rtspBlock.data() + kRtspPortOffset, static_cast<uint16_t>(ports.rtsp));
    const bool portWritten = SetBlock(sdk, login.handle, kPortCommand, portBlock);
    const bool rtspWritten = SetBlock(sdk, login.handle, kRtspCommand, rtspBlock);
    if (!portWritten && !rtspWritten) {
        return result;
    }
    result.written = portWritten && rtspWritten ? 1 : portWritten ? 2 : 3;
    result.restarted = sdk.reboot(login.handle) == 1;
    if (portWritten && result.restarted) {
        entry.webPort = static_cast<uint16_t>(ports.http);
        entry.tcpPort = static_cast<uint16_t>(ports.tcp);
        if (entry.onvifPort != 0) {
            entry.onvifPort = static_cast<uint16_t>(ports.http);
        }
    }
    return result;
}

int ChangeModel(DeviceEntry& entry, const DeviceLogin& login, const std::string& newModel,
                const SdkCalls& sdk) {
    std::vector<uint8_t> block(kModelBlockSize, 0);
    sdkwire::StoreU32(block.data() + kModelFlagsOffset, kModelValidFlag);
    // At most 64 bytes of text; the dialog already keeps it under 20.
    PutField(block.data() + kModelTextOffset, 65, newModel);
    if (!SetBlock(sdk, login.handle, kModelCommand, block)) {
        return 0;
    }
    std::fill(block.begin(), block.end(), 0);
    if (!GetBlock(sdk, login.handle, kModelCommand, block) ||
        (sdkwire::LoadU32(block.data() + kModelFlagsOffset) & kModelValidFlag) == 0 ||
        FieldText(block.data() + kModelTextOffset, kModelBlockSize - kModelTextOffset) !=
            newModel.substr(0, 64)) {
        return 0;
    }
    entry.model = newModel;
    return 1;
}
