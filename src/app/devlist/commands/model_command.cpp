// Model change: logs in, asks for the new model, writes it on a pool thread
// and shows it in the row when the device holds it.
#include "devlist/device_actions.h"
#include "devlist/device_columns.h"
#include "devlist/device_commands.h"
#include "devlist/dlg_modify_model.h"
#include "operate/device_steps.h"
#include "session/device_session.h"
#include "ui/color_list_ctrl.h"

#include <optional>
#include <utility>

void RunModelChange(CDeviceActions& actions, int row, int) {
    actions.LoginThen(row, false, [&actions](DeviceEntry& entry) {
        std::string newModel;
        const std::optional<DeviceLogin> login = actions.Session().Logins().Find(DeviceKey(entry));
        if (!login || !CDlgModifyModel::Ask(actions.Page(), entry.mac, entry.model, newModel)) {
            actions.SetRunning(false);
            return;
        }
        const std::string mac = DeviceKey(entry);
        actions.RunOnWorker(
            [copy = entry, login = *login, newModel]() mutable {
                const int result = ChangeModel(copy, login, newModel);
                return std::make_pair(result, copy.model);
            },
            [&actions, mac](const std::pair<int, std::string>& outcome) {
                actions.SetRunning(false);
                DeviceEntry* target = actions.EntryByMac(mac);
                if (outcome.first != 1 || target == nullptr) {
                    actions.Tip("info.operate_fail");
                    return;
                }
                target->model = outcome.second;
                const int shown = actions.RowOf(mac);
                if (shown >= 0) {
                    actions.List()->SetItemText(shown, kColModel, QString::fromStdString(target->model));
                }
                actions.Tip("info.operate_success");
            });
    });
}
