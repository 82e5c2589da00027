#pragma once
// The device list's commands, as one table: each entry is a context menu
// item (its text key, the submenu it sits in), when it applies to a record
// and column, and the function that runs it. The menu is built from the
// table and a chosen item is dispatched through it; each command's work is
// in a file of its own under commands/.
#include "discovery/device_entry.h"

#include <span>

class CDeviceActions;

enum DeviceCommand : int {
    kCmdMainStream = 3001,
    kCmdSubStream = 3002,
    kCmdOpenWeb = 3003,
    kCmdNetwork = 3004,
    kCmdLogin = 3005,
    kCmdExport = 3006,
    kCmdModifyModel = 3007,
    kCmdCopy = 3008,
    kCmdSnapshot = 3009,
};

struct DeviceCommandSpec {
    int id;
    const char* key;        // the item's text
    const char* submenuKey; // nullptr: in the menu itself
    bool (*applies)(const DeviceEntry& entry, int column, bool modifyMode);
    void (*run)(CDeviceActions& actions, int row, int column);
};

// In menu order.
std::span<const DeviceCommandSpec> DeviceCommands();
const DeviceCommandSpec* FindDeviceCommand(int id);

// The commands' work, one file each.
void RunLogin(CDeviceActions& actions, int row, int column);
void RunNetworkChange(CDeviceActions& actions, int row, int column);
void RunMainStream(CDeviceActions& actions, int row, int column);
void RunSubStream(CDeviceActions& actions, int row, int column);
void RunSnapshot(CDeviceActions& actions, int row, int column);
void RunOpenWeb(CDeviceActions& actions, int row, int column);
void RunExport(CDeviceActions& actions, int row, int column);
void RunModelChange(CDeviceActions& actions, int row, int column);
void RunCopy(CDeviceActions& actions, int row, int column);
