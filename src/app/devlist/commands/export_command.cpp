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
#include <optional>
#include <string>

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
    const std::optional<DeviceLogin> login = actions.Session().Logins().Find(mac);
    const DeviceEntry* entry = actions.EntryByMac(mac);
    if (path.isEmpty() || entry == nullptr || !login) {
        actions.SetRunning(false);
        return;
    }
    DeviceLink* link = &actions.Session().LinkFor(*entry);
    actions.RunOnWorker(
        [link, copy = *entry, login = *login, file = path.toStdString()]() {
            std::string failKey;
            const bool written = link->ExportConfig(copy, login, file, failKey);
            return written ? std::string() : failKey;
        },
        [&actions](const std::string& failKey) {
            actions.SetRunning(false);
            actions.Tip(failKey.empty() ? "info.operate_success" : failKey.c_str());
        });
}

} // namespace

void RunExport(CDeviceActions& actions, int row, int) {
    actions.LoginThen(row, false, [&actions](DeviceEntry& entry) {
        const std::string mac = DeviceKey(entry);
        const std::optional<DeviceLogin> login = actions.Session().Logins().Find(mac);
        if (!login) {
            actions.SetRunning(false);
            return;
        }
        DeviceLink* link = &actions.Session().LinkFor(entry);
        actions.RunOnWorker(
            [link, copy = entry, login = *login]() { return link->FirmwareVersion(copy, login); },
            [&actions, mac](const std::string& version) { SaveExport(actions, mac, version); });
    });
}
