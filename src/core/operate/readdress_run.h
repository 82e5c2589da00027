#pragma once
// A re-addressing batch: the plan made from the listed devices (the taken
// addresses gathered from the table, this computer's interfaces and an ARP
// probe of the range), then the change of each planned device in key
// order and one check for all: native devices by the configuration
// datagrams (CFG.V3 with the administrator password asked once, else
// CFG.V2), the others through their link's network change after the
// batch's login; then searches (both families, until every changed device
// answered or the tries are spent) find each device again by its identity
// (MAC, or endpoint reference) at an address the batch gave out. Devices
// that share one address cannot be told apart by a connection to it: the
// one that holds the address takes the change, and the search tells which
// device went where. A device that refuses is reported; the others go on.
#include "discovery/config_sender.h"
#include "discovery/diagnostics.h"
#include "discovery/search_engine.h"
#include "operate/batch_report.h"
#include "operate/login.h"
#include "operate/operate_context.h"
#include "operate/readdress_plan.h"

#include <functional>
#include <string>
#include <vector>

enum class ReaddressOutcome {
    Planned,   // to: the address it will get
    Kept,      // into-subnet: stays where it is
    NoAddress, // the range ran out
    Skipped,   // address passed over; reasonKey tells why (no device)
    Changed,   // found again at to
    Failed,    // reasonKey, or loginError when the login failed
    Cancelled, // the batch login was cancelled
};

struct ReaddressLine {
    std::string key; // the device's record key; empty for a skipped address
    ReaddressOutcome outcome = ReaddressOutcome::Planned;
    uint32_t from = 0;
    uint32_t to = 0;
    std::string reasonKey;
    int loginError = 0;
};

using NeighbourProbe = std::function<std::set<uint32_t>(const std::vector<uint32_t>& addresses,
                                                        const std::string& interfaceName)>;

// The plan for chosen among listed (every record of the device list):
// interfaces are this computer's (net::LocalInterfaces); the list's address
// diagnostics tell the troubled devices; probe asks the candidate addresses
// on the interface whose subnet holds the range, else on the one the first
// chosen device was found on.
ReaddressPlan PrepareReaddress(const DeviceTable& listed, const std::vector<const DeviceEntry*>& chosen,
                               const ReaddressRequest& request,
                               const std::vector<net::InterfaceAddress>& interfaces,
                               const NeighbourProbe& probe);

// The plan as lines (devices, then the skipped addresses), for showing
// before anything is sent.
std::vector<ReaddressLine> PlanLines(const ReaddressPlan& plan);

struct ReaddressSettings {
    ReaddressRequest request;
    // CFG.V3's and the logins' password; wiped when the batch ends. Empty:
    // the batch's credentials are asked once, first, and serve both.
    std::string adminPassword;
    ConfigSenderOptions config;
    SearchOptions search;     // the searches that find the devices again (sources set)
    int verifyTries = 4;      // searches at most
    int verifyPauseMs = 1000; // between them
};

// Applies plan to the chosen records (in any order; matched by key):
// reports each device's final line to report (called on this thread), and
// changes the records of the devices found again. Runs on a worker. A
// cancelled prompt reports every planned device cancelled.
void ApplyReaddress(const ReaddressPlan& plan, const std::vector<DeviceEntry*>& chosen,
                    ReaddressSettings& settings, OperateContext& context, ILoginPrompt& prompt,
                    const std::function<void(const ReaddressLine&)>& report);

// The language key of the line's text ("info.Login_fail" for a failed
// login: a front end tells the login error in its own words).
std::string ReaddressLineKey(const ReaddressLine& line);
// "KEY  FROM -> TO  text" (a skipped address: "ADDRESS  text"), text being
// what the line's key says.
std::string ReaddressLineText(const ReaddressLine& line, const std::string& text);
