#pragma once
// The SDK functions the preview window calls, as a table: the program uses
// the real SDK, tests put in their own to run the window's rules without a
// device.
#include "sdk/sdk.h"

#include <functional>

struct PreviewSdkCalls {
    std::function<decltype(SDK_SetPreviewOption)> setOption = SDK_SetPreviewOption;
    std::function<decltype(SDK_ConnectionFullCallBack)> connectionFull = SDK_ConnectionFullCallBack;
    std::function<decltype(SDK_StartPreview)> start = SDK_StartPreview;
    std::function<decltype(SDK_StopPreview)> stop = SDK_StopPreview;
};
