#pragma once
// What the device-operation commands share (reboot, reset, password, ports,
// model, upgrade, export, import, snapshot): choosing devices (--all,
// --match, --mac, --macs-from, or --ip with --port, else the port the search
// reports; --family limits the search to one device family), the
// credentials (--user, and the password from --password, --password-file,
// CORVANE_PASSWORD or a prompt), running a batch of the engine, and the
// results in the chosen --format.
#include "batch_output.h"
#include "command.h"
#include "discovery/device_entry.h"
#include "operate/batch_engine.h"

#include <functional>
#include <string>
#include <vector>

struct DeviceSelection {
    std::string command; // the command's name, for messages
    bool all = false;
    std::vector<std::string> patterns; // --match
    std::vector<std::string> macs;     // --mac and the lines of --macs-from
    std::string macsFrom;
    std::string ip;
    int port = 0;
    std::string user = "admin";
    std::string password;
    std::string passwordFile;
    int phaseMs = 0;            // search phase length, 0 = the default
    std::string family = "all"; // --family: the discovery sources searched
    std::string format = "table";

    CLI::Option* passwordOption = nullptr;
};

// Declares the selection, credential and --format options on command.
void AddDeviceOptions(CLI::App& command, DeviceSelection& selection);

// After the parse: reads --macs-from, checks that devices were chosen, and
// finds the password. 0, or kUsageError with a message on stderr.
int CompleteSelection(DeviceSelection& selection);

// The chosen devices as records (a search finds them when needed). Empty
// with a message on stderr when no device, or not every named one, answers.
DeviceTable ResolveDevices(const DeviceSelection& selection);

// Runs one batch over every record of the table and prints the results.
// Exit status: 0 when every device succeeded, 1 otherwise.
int RunDeviceBatch(const DeviceSelection& selection, DeviceTable& devices, BatchRequest request);

// The text of a failed login: the language table's text of SDK_Login's
// error (wrong password, locked, busy, time-out, no connection, ...), else
// "info.Login_fail".
std::string LoginFailureText(int loginError);

// For the commands that work on one device at a time (model, export,
// snapshot): log in to each device with the selection's credentials and
// call step with the login, which gives the device's outcome and the key of
// its text; a failed login is reported without calling step. Every login
// ends before the return. Exit status as RunDeviceBatch.
using DeviceStep = std::function<bool(DeviceEntry&, const DeviceLogin& login, std::string& key)>;
int ForEachDevice(const DeviceSelection& selection, DeviceTable& devices, const DeviceStep& step);

// For the commands that save something from each device (export, snapshot):
// out names the file for one device, or an existing folder that takes one
// file per device under the name nameInFolder gives. save writes the file
// and sets the key of the device's text. The path of each file written into
// a folder is printed on stderr. Exit status as RunDeviceBatch, 2 for a file
// name given to several devices.
int SaveFromEachDevice(const DeviceSelection& selection, const std::string& out,
                       const std::function<std::string(const DeviceEntry&, const DeviceLogin&)>& nameInFolder,
                       const std::function<bool(DeviceEntry&, const DeviceLogin&, const std::string& path,
                                                std::string& key)>& save);

// A command that runs one batch of the engine over the chosen devices:
// addOptions declares what the operation needs into its request; check (may
// be empty) runs after the login password is found, may take further
// passwords, and refuses values with kUsageError.
CliCommand BatchCommand(std::string name, std::string description, BatchOperation operation,
                        std::function<void(CLI::App&, BatchRequest&)> addOptions,
                        std::function<int(const DeviceSelection&, BatchRequest&)> check);
