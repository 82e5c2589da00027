#include "devlist/device_commands.h"

#include "devlist/device_columns.h"

#include <algorithm>
#include <array>

namespace {

constexpr int kModelCapability = 0x01;

bool Can(const DeviceEntry& entry, DeviceOperation operation) {
    return entry.operations.Has(operation);
}

constexpr std::array kCommands = {
    DeviceCommandSpec{kCmdLogin, "msg.Login", nullptr,
                      [](const DeviceEntry& entry, int, bool) { return Can(entry, DeviceOperation::Login); },
                      RunLogin},
    DeviceCommandSpec{
        kCmdNetwork, "tx.NetworkModify", nullptr,
        [](const DeviceEntry& entry, int, bool) { return Can(entry, DeviceOperation::Network); },
        RunNetworkChange},
    DeviceCommandSpec{kCmdMainStream, "tx.Main_stream", "tx.Preview",
                      [](const DeviceEntry& entry, int, bool) {
                          return entry.onvifAvailable != 0 && Can(entry, DeviceOperation::Preview);
                      },
                      RunMainStream},
    DeviceCommandSpec{kCmdSubStream, "tx.Sub_stream", "tx.Preview",
                      [](const DeviceEntry& entry, int, bool) {
                          return entry.onvifAvailable != 0 && Can(entry, DeviceOperation::Preview);
                      },
                      RunSubStream},
    DeviceCommandSpec{kCmdSnapshot, "tx.Snapshot", "tx.Preview",
                      [](const DeviceEntry& entry, int, bool) {
                          return entry.onvifAvailable != 0 && Can(entry, DeviceOperation::Preview);
                      },
                      RunSnapshot},
    DeviceCommandSpec{
        kCmdOpenWeb, "tx.Open_web", nullptr,
        [](const DeviceEntry& entry, int, bool) { return Can(entry, DeviceOperation::WebPage); }, RunOpenWeb},
    DeviceCommandSpec{
        kCmdExport, "tx.Export", nullptr,
        [](const DeviceEntry& entry, int, bool) { return Can(entry, DeviceOperation::ConfigExport); },
        RunExport},
    DeviceCommandSpec{kCmdModifyModel, "tx.Modify_model", nullptr,
                      [](const DeviceEntry& entry, int, bool modifyMode) {
                          return modifyMode && (entry.capabilities & kModelCapability) != 0 &&
                                 Can(entry, DeviceOperation::ModelChange);
                      },
                      RunModelChange},
    DeviceCommandSpec{kCmdCopy, "tx.Copy", nullptr,
                      [](const DeviceEntry&, int column, bool) { return column != kColLoginState; }, RunCopy},
};

} // namespace

std::span<const DeviceCommandSpec> DeviceCommands() {
    return kCommands;
}

const DeviceCommandSpec* FindDeviceCommand(int id) {
    const auto found = std::find_if(kCommands.begin(), kCommands.end(),
                                    [id](const DeviceCommandSpec& spec) { return spec.id == id; });
    return found == kCommands.end() ? nullptr : &*found;
}
