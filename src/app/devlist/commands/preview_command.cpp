// Preview (main or sub stream): logs in, then opens the preview window.
#include "devlist/device_actions.h"
#include "devlist/device_commands.h"
#include "devlist/open_preview.h"
#include "sdk/sdk_layout.h"
#include "session/device_session.h"

#include <QWidget>

namespace {

void Preview(CDeviceActions& actions, int row, int stream) {
    actions.LoginThen(row, false, [&actions, stream](DeviceEntry& entry) {
        actions.SetRunning(false);
        // The preview window shows its own failures and keeps the login open.
        OpenPreview(actions.Page()->window(), actions.Session(), entry, stream);
    });
}

} // namespace

void RunMainStream(CDeviceActions& actions, int row, int) {
    Preview(actions, row, sdklayout::kMainStream);
}

void RunSubStream(CDeviceActions& actions, int row, int) {
    Preview(actions, row, sdklayout::kSubStream);
}
