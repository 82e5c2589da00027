// Export: logs in, reads the firmware version for the proposed file name,
// asks where to save, and exports the configuration there, each device call
// on a pool thread.
#include "devlist/device_actions.h"
#include "devlist/device_commands.h"
#include "operate/device_actions.h"
#include "session/device_session.h"
#include "ui/file_dialog.h"

#include <QFileInfo>
#include <ctime>

namespace {

std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

void SaveExport(CDeviceActions& actions, const std::string& mac, const std::string& version) {
    FileDialogRequest request;
    request.save = true;
    if (const DeviceEntry* shown = actions.EntryByMac(mac)) {
        request.name =
            QString::fromStdString(ProposeExportName(version, shown->model, shown->ip, LocalNow()));
    }
    request.filter = QStringLiteral("coi Files (*.coi)");
    QString path = FileDialog::Ask(actions.Page(), request);
    // A name typed without an extension gets the default one.
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty()) {
        path += QStringLiteral(".coi");
    }
    const int handle = actions.Session().Logins().Handle(mac);
    if (path.isEmpty() || actions.EntryByMac(mac) == nullptr || handle == 0) {
        actions.SetRunning(false);
        return;
    }
    actions.RunOnWorker([handle, file = path.toStdString()]() { return ExportConfiguration(handle, file); },
                        [&actions](int result) {
                            actions.SetRunning(false);
                            actions.Tip(result == 1 ? "info.operate_success" : "info.operate_fail");
                        });
}

} // namespace

void RunExport(CDeviceActions& actions, int row, int) {
    actions.LoginThen(row, false, [&actions](DeviceEntry& entry) {
        const std::string mac = DeviceKey(entry);
        const int handle = actions.Session().Logins().Handle(mac);
        actions.RunOnWorker(
            [handle]() { return QueryFirmwareVersion(handle); },
            [&actions, mac](const std::string& version) { SaveExport(actions, mac, version); });
    });
}
