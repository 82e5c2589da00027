#pragma once
// What an ONVIF device of the lab is: its family, how it is found
// (endpoint reference, scopes, probe types), its device service (port,
// users, accepted authentication, clock) and its faults. Empty texts take
// defaults built from the rest of the device (onvif_defaults.h).
#include "onvif/onvif_settings.h"

#include <cstdint>
#include <string>
#include <vector>

enum class LabFamily { Native, Onvif, Both };
enum class OnvifKind { Camera, Recorder };
enum class OnvifUserLevel { User, Operator, Administrator };

// Which probes a device answers: every matching one, only those naming
// NetworkVideoTransmitter or Device, only probes without types, or none.
enum class ProbeAnswers { Both, Nvt, Device, UntypedOnly, None };

struct OnvifAuthMethods {
    bool digest = true; // HTTP digest (MD5 and SHA-256)
    bool wsse = true;   // WS-Security UsernameToken with a password digest
};

struct OnvifUser {
    std::string name;
    std::string password;
    OnvifUserLevel level = OnvifUserLevel::User;
};

// The media side: which media services answer, the main stream's codec
// (the sub stream is always H.264) and a stream that stops.
struct OnvifMedia {
    bool media1 = true;  // ver10 media service
    bool media2 = true;  // ver20 media service
    bool h265 = false;   // the main stream in H.265
    int stopAfterMs = 0; // > 0: a stream sends no more frames this long after it started
    bool operator==(const OnvifMedia&) const = default;
};

struct OnvifConfig {
    LabFamily family = LabFamily::Native;
    OnvifKind kind = OnvifKind::Camera;
    std::string endpoint;            // WS-Discovery endpoint reference
    std::vector<std::string> scopes; // replaces the default scopes when set
    std::string location;            // the location scope's value
    uint16_t port = 80;              // HTTP port of the device service
    std::string xaddr;               // advertised XAddrs, verbatim, when set
    std::vector<OnvifUser> users;    // default: admin with admin-password
    OnvifAuthMethods auth;
    int64_t clockOffsetS = 0; // the device's clock minus the true time
    std::string manufacturer, serial, hardwareId;
    ProbeAnswers probe = ProbeAnswers::Both;
    int slowMs = 0;         // every device-service answer leaves this late
    bool malformed = false; // the device service answers broken XML
    int lockAfter = 0;      // wrong passwords in a row that lock (0: never)
    // Comings and goings on WS-Discovery, in ms after the simulator's start
    // (0: at the start / never): the device is silent until its Hello and
    // after its Bye.
    int helloAfterMs = 0;
    int byeAfterMs = 0;
    // false: probes sent to the group never reach the device (it sits
    // beyond a router); only a probe to its own address finds it.
    bool multicast = true;
    // Restarts and settings: a restart keeps the device silent this long;
    // a network change may wait for a restart (RebootNeeded); the lab's
    // accounts may be fixed (SetUser refused for them).
    int rebootMs = 2000;
    bool networkNeedsReboot = false;
    // The address the lab's DHCP server hands the device when it is told
    // to take one (0: it keeps the address it has).
    uint32_t dhcpLease = 0;
    bool fixedUsers = false;
    OnvifSettings settings;
    // Maintenance faults: no StartFirmwareUpgrade (UpgradeSystemFirmware
    // only), no GetSystemUris and StartSystemRestore (GetSystemBackup and
    // RestoreSystem only), silent for good after a firmware upgrade.
    bool noStartFirmwareUpgrade = false;
    bool noSystemUris = false;
    bool staysDownAfterUpgrade = false;
    OnvifMedia media;

    bool Speaks() const { return family != LabFamily::Native; }
};
