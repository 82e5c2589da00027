#pragma once
// What the maintenance operations (firmware, backup, restore) share: the
// device they talk to, a wait that a cancel ends, and the device service
// calls whose request or answer carries a file as an MTOM attachment. These
// go over the file transport (no 64 KiB reply limit) and authenticate with
// the method the login found (HTTP digest, or the UsernameToken in the
// envelope): one attempt, as a login already proved the password.
#include "onvif/device_call.h"
#include "onvif/device_responses.h"
#include "onvif/http_file_transfer.h"
#include "platform/clock.h"

#include <functional>
#include <string>
#include <string_view>

namespace onvif {

struct DeviceChannel {
    SoapTransport& soap;
    FileTransport& files;
    AuthMemory& auth;
    DeviceTarget target;
    const OnvifCredentials& credentials;
    std::function<int64_t()> utcSeconds; // this computer's UTC clock (tokens)
    Clock& clock;                        // waits and deadlines
    std::function<bool()> cancelled;     // may be empty

    bool Cancelled() const { return cancelled && cancelled(); }
    // Waits ms on the clock in short steps; false when cancelled meanwhile.
    bool Wait(int64_t ms) const;
    // One authenticated device service call (two attempts, device_call.h).
    CallResult Call(std::string_view name, std::string_view body) const;
    // HTTP transfer settings for the device with the login's credentials.
    FileTransfer Transfer(const std::string& url) const;
};

// A device service call over the file transport. attachment empty: a plain
// SOAP request; otherwise the body names it as "cid:<contentId>" and it goes
// as the MTOM attachment. The reply's root envelope is in result.body; the
// whole reply (for attachments in the answer) in raw.
struct AttachmentCallResult {
    CallResult call;
    FileReply raw;
};
AttachmentCallResult CallWithAttachment(const DeviceChannel& channel, std::string_view name,
                                        std::string_view body, std::string_view contentId,
                                        ByteRange attachment, std::size_t maxReplyBytes,
                                        const std::function<void(uint64_t, uint64_t)>& progress = {});

// True for the fault of an operation the device does not have.
bool IsNotSupported(const CallResult& result);

// How long a restarting device is given.
struct ComeBackTiming {
    int64_t maxDownMs = 600000;    // ExpectedDownTime is cut to this
    int64_t comeBackMs = 180000;   // how long to ask after the time away
    int64_t pollIntervalMs = 2000; // between two questions
    long pollTimeoutMs = 3000;     // each question's own time-out
};

enum class ComeBack : uint8_t {
    Accepted,   // accept() took an answer
    Unaccepted, // the device answered, accept() never took an answer
    NotBack,    // no answer in time
    Refused,    // back, but it refuses the login (asked no more: accounts lock)
    Cancelled,
};

// After a restart: waits downMs, then asks for the device information until
// accept(info, wasAway) takes it or the time is up. wasAway: the device was
// seen away (no connection, no valid answer) before this answer. last holds
// the last information read.
ComeBack AwaitComeBack(const DeviceChannel& channel, const ComeBackTiming& timing, int64_t downMs,
                       const std::function<bool(const DeviceInformation&, bool wasAway)>& accept,
                       DeviceInformation& last);

} // namespace onvif
