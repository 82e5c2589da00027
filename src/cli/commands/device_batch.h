#pragma once
// What the device-operation commands share (reboot, reset, password, ports,
// model, upgrade, export, import, snapshot): choosing devices by --ip
// (--port, else the port the device search reports) or by repeated --mac,
// the credentials of --user/--password, running a batch of the engine and
// printing each device's result line as the batch writes it.
#include "discovery/device_entry.h"
#include "operate/batch_engine.h"

#include <functional>
#include <string>
#include <vector>

struct DeviceSelection {
    std::string ip;
    int port = 0;
    std::vector<std::string> macs;
    std::string user = "admin";
    std::string password;
    int phaseMs = 0; // search phase length, 0 = the default
};

// Takes the selection options out of args (the rest stay for the command).
// false with a message on stderr for a bad value.
bool ParseSelection(const std::string& command, std::vector<std::string>& args, DeviceSelection& selection);
// Takes "--name value" out of args; false when missing.
bool TakeOption(std::vector<std::string>& args, const std::string& name, std::string& value);

// The chosen devices as records (a search finds them when needed). Empty
// with a message on stderr when a device is not found.
DeviceTable ResolveDevices(const std::string& command, const DeviceSelection& selection);

// Runs one batch over every record of the table and prints the lines.
// Exit status: 0 when every device succeeded, 1 otherwise.
int RunDeviceBatch(const DeviceSelection& selection, DeviceTable& devices, BatchRequest request);

// For the single-device commands: logs in one record with the selection's
// credentials; prints the failure line and returns false when it fails.
bool LoginForCommand(const DeviceSelection& selection, DeviceEntry& entry);
// Prints "%s  %s" (address, text of key).
void PrintResultLine(const DeviceEntry& entry, const std::string& key);
// Ends the logins the command made.
void LogoutAll(DeviceTable& devices);

// For the commands that save something from each device (export, snapshot):
// out names the file for one device, or an existing folder that takes one
// file per device under the name nameInFolder gives. Logs in to each device
// and calls save with the path; save prints the device's result line and
// says whether the file was written. The path of each file written into a
// folder is printed too. Exit status as RunDeviceBatch, 2 for a file name
// given to several devices.
int SaveFromEachDevice(const std::string& command, const DeviceSelection& selection, const std::string& out,
                       const std::function<std::string(const DeviceEntry&)>& nameInFolder,
                       const std::function<bool(DeviceEntry&, const std::string& path)>& save);

// The usage lines of the selection options.
extern const char* const kSelectionUsage;
