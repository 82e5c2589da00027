#pragma once
// Authenticated calls of the device service. HTTP digest first, WS-Security
// UsernameToken (created on the device's clock) as the fallback; what worked
// is remembered per device and tried first next time. At most two
// authenticated attempts per device and action: devices lock accounts after
// a few wrong passwords.
#include "onvif/soap.h"
#include "onvif/soap_transport.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

namespace onvif {

enum class AuthMethod : uint8_t { Unknown, HttpDigest, UsernameToken };

// Per device (keyed by its device service address), the method that worked.
// Shared by every thread that talks to devices.
class AuthMemory {
public:
    AuthMethod Get(const std::string& device) const;
    void Set(const std::string& device, AuthMethod method);

private:
    mutable std::mutex m_mutex;
    std::map<std::string, AuthMethod> m_methods;
};

struct OnvifCredentials {
    std::string user;
    std::string password; // wiped by the destructor
    // Lets HTTP Basic answer a device that offers nothing else; off unless
    // the user turns it on, as Basic sends the password readable.
    bool allowPlainText = false;

    ~OnvifCredentials();
};

// The device being called: its device service and its clock.
struct DeviceTarget {
    std::string url;
    int64_t clockOffsetSeconds = 0; // device clock minus this computer's
    long timeoutMs = 5000;
};

enum class CallOutcome : uint8_t {
    Ok,          // the response (not a fault)
    Fault,       // the device answered with a fault other than a refusal
    Refused,     // every method tried was refused: wrong user or password
    Locked,      // the device says the account or address is locked
    Unreachable, // no connection
    Timeout,     // no answer in time
    BadReply,    // an answer that is no SOAP envelope, or too large
};

struct CallResult {
    CallOutcome outcome = CallOutcome::BadReply;
    std::string body;                        // the response envelope (Ok and Fault)
    std::optional<SoapFault> fault;          // for Fault, Refused and Locked when the device sent one
    AuthMethod method = AuthMethod::Unknown; // the method of the last attempt
    int attempts = 0;                        // authenticated requests sent
};

// This computer's clock in seconds since 1970, UTC: what the calls' now is
// in the program (tests give their own).
int64_t UtcSecondsNow();

// The SOAP action URI of a device service request: "<namespace>/<name>".
std::string DeviceAction(std::string_view name);

// One call without credentials (GetSystemDateAndTime before a login).
CallResult CallAnonymous(SoapTransport& transport, const DeviceTarget& target, std::string_view action,
                         std::string_view body);

// One call with credentials, at most two attempts; now is this computer's
// UTC time in seconds (the seam for the token's creation time).
CallResult CallAuthenticated(SoapTransport& transport, AuthMemory& memory, const DeviceTarget& target,
                             const OnvifCredentials& credentials, std::string_view action,
                             std::string_view body, int64_t nowUtcSeconds);

} // namespace onvif
