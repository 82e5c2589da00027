// The SDK's firmware upgrade calls: one shared read-only copy of each image,
// checked against the device's model before anything is sent, and an
// upgrade job per device kept by handle.
#include "sdk/firmware_cache.h"
#include "sdk/sdk_layout.h"
#include "sdk/sdk_state.h"

#include <cstring>

using namespace sdkwire;
using namespace sdkstate;
using sdkclient::UpgradeJob;

int SDK_OpenUpgrade(int loginHandle, const char* path, SdkUpgradeCallback callback, void* context, int) {
    auto session = SessionOf(loginHandle);
    if (!session || !session->Open() || !path || !callback) {
        return 0;
    }
    // Every upgrade of the same file shares one read-only copy of it.
    auto firmware = sdkclient::SharedFirmware(path, kMaxFirmwareSize);
    if (!firmware) {
        return 0;
    }
    auto job = std::make_shared<UpgradeJob>(std::move(session), std::move(firmware), callback, context);
    auto& state = State();
    std::lock_guard lock(state.mutex);
    const int handle = NewHandle(state);
    state.upgrades[handle] = std::move(job);
    return handle;
}

int SdkCheckFirmware(int loginHandle, const char* path) {
    const auto session = SessionOf(loginHandle);
    if (!session || !session->Open() || !path) {
        return 0;
    }
    const auto header = sdkclient::CheckedFirmware(path, kMaxFirmwareSize);
    if (!header) {
        return -2;
    }
    // The device's model is the text of its model block (none when the
    // block says it is not valid); a device without the block decides itself.
    uint8_t block[sdklayout::kModelBlockSize] = {};
    int length = 0;
    if (SDK_GetConfig(loginHandle, sdklayout::kModelCommand, -1, block, sizeof block, &length, -1, 0, 0) !=
        1) {
        return 1;
    }
    std::string model;
    if ((LoadU32(block + sdklayout::kModelFlagsOffset) & 1u) != 0) {
        const auto* text = reinterpret_cast<const char*>(block + sdklayout::kModelTextOffset);
        model.assign(text, strnlen(text, sizeof block - sdklayout::kModelTextOffset));
    }
    return model == header->model ? 1 : -3;
}

namespace {

// The upgrade of a handle; with take, it leaves the table.
std::shared_ptr<UpgradeJob> UpgradeOf(int upgradeHandle, bool take) {
    auto& state = State();
    std::lock_guard lock(state.mutex);
    const auto found = state.upgrades.find(upgradeHandle);
    if (found == state.upgrades.end()) {
        return nullptr;
    }
    std::shared_ptr<UpgradeJob> job = found->second;
    if (take) {
        state.upgrades.erase(found);
    }
    return job;
}

} // namespace

int SDK_StartUpgrade(int upgradeHandle) {
    const auto job = UpgradeOf(upgradeHandle, false);
    return job && job->Start() ? 1 : 0;
}

int SDK_CloseUpgrade(int upgradeHandle) {
    const auto job = UpgradeOf(upgradeHandle, true);
    if (!job) {
        return 0;
    }
    job->Close();
    return 1;
}
