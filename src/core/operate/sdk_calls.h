#pragma once
// The SDK functions the batch engine, the logins and the device steps call,
// as a table: the program uses the real SDK, tests put in a device of their
// own and run the engine's rules without sockets.
#include "sdk/sdk.h"

#include <functional>

struct SdkCalls {
    std::function<decltype(SDK_Login)> login = SDK_Login;
    std::function<decltype(SDK_Logout)> logout = SDK_Logout;
    std::function<decltype(SDK_GetConfig)> getConfig = SDK_GetConfig;
    std::function<decltype(SDK_SetConfig)> setConfig = SDK_SetConfig;
    std::function<decltype(SDK_GetUserInfo)> getUserInfo = SDK_GetUserInfo;
    std::function<decltype(SDK_ModifyUser)> modifyUser = SDK_ModifyUser;
    std::function<decltype(SDK_Reboot)> reboot = SDK_Reboot;
    std::function<decltype(SDK_RestoreDefault)> restoreDefault = SDK_RestoreDefault;
    std::function<decltype(SDK_ImportConfig)> importConfig = SDK_ImportConfig;
    std::function<decltype(SDK_ExportConfig)> exportConfig = SDK_ExportConfig;
    std::function<decltype(SDK_QueryDeviceInfo)> queryDeviceInfo = SDK_QueryDeviceInfo;
    std::function<decltype(SdkCheckFirmware)> checkFirmware = SdkCheckFirmware;
    std::function<decltype(SDK_OpenUpgrade)> openUpgrade = SDK_OpenUpgrade;
    std::function<decltype(SDK_StartUpgrade)> startUpgrade = SDK_StartUpgrade;
    std::function<decltype(SDK_CloseUpgrade)> closeUpgrade = SDK_CloseUpgrade;
    std::function<decltype(SDK_SetPreviewOption)> setPreviewOption = SDK_SetPreviewOption;
    std::function<decltype(SDK_StartPreview)> startPreview = SDK_StartPreview;
    std::function<decltype(SDK_StopPreview)> stopPreview = SDK_StopPreview;
};

// The real SDK; shared, never changed.
const SdkCalls& RealSdk();
