// Snapshot: logs in, asks where to save, and saves one picture of the main
// stream there through the device's link, on a pool thread.
#include "devlist/device_actions.h"
#include "devlist/device_commands.h"
#include "operate/device_actions.h"
#include "sdk/sdk_layout.h"
#include "session/device_session.h"
#include "ui/file_dialog.h"

#include <QFileInfo>
#include <optional>
#include <string>

void RunSnapshot(CDeviceActions& actions, int row, int) {
    actions.LoginThen(row, false, [&actions](DeviceEntry& entry) {
        const std::string key = DeviceKey(entry);
        FileDialogRequest request;
        request.save = true;
        request.name = QString::fromStdString(SafeFileNamePart(entry.ip) + "-main.jpg");
        request.filter = QStringLiteral("JPEG (*.jpg)");
        QString path = FileDialog::Ask(actions.Page(), request);
        if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty()) {
            path += QStringLiteral(".jpg");
        }
        const std::optional<DeviceLogin> login = actions.Session().Logins().Find(key);
        const DeviceEntry* shown = actions.EntryByMac(key);
        if (path.isEmpty() || shown == nullptr || !login) {
            actions.SetRunning(false);
            return;
        }
        DeviceLink* link = &actions.Session().LinkFor(*shown);
        actions.RunOnWorker(
            [link, login = *login, file = path.toStdString()]() {
                std::string failKey;
                return link->SaveSnapshot(login, sdklayout::kMainStream, file, failKey) ? std::string()
                                                                                        : failKey;
            },
            [&actions](const std::string& failKey) {
                actions.SetRunning(false);
                actions.Tip(failKey.empty() ? "info.operate_success" : failKey.c_str());
            });
    });
}
