#pragma once
// What the SDK calls share: the sessions, upgrades and previews kept by
// handle, and the helpers that find a handle's session. For the files that
// implement the SDK_* calls only.
#include "sdk/client_session.h"
#include "sdk/sdk.h"
#include "sdk/upgrade_job.h"
#include "sdk/wire_messages.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace sdkstate {

struct PreviewEntry {
    std::shared_ptr<sdkclient::ClientSession> session;
    uint32_t streamId = 0;
};

// Handles are positive and never reused within a process, so a stale handle
// can never reach another device's session.
struct SdkState {
    std::mutex mutex;
    sdkclient::Timeouts timeouts;
    std::string customer;
    int nextHandle = 1;
    std::map<int, std::shared_ptr<sdkclient::ClientSession>> sessions;
    std::map<int, std::shared_ptr<sdkclient::UpgradeJob>> upgrades;
    std::map<int, PreviewEntry> previews;
    SdkConnectionFullCallback connectionFull = nullptr;
    void* connectionFullContext = nullptr;
};

SdkState& State();
std::shared_ptr<sdkclient::ClientSession> SessionOf(int handle);
// Under the state's mutex.
int NewHandle(SdkState& state);
// Sends one request on the handle's session: nothing when there is no
// session, it is closed, or the reply did not come in time.
std::optional<sdkwire::Reply> CallOn(int handle, uint16_t type, const sdkwire::Bytes& body,
                                     int timeoutMs = 0);
int ResultOf(const std::optional<sdkwire::Reply>& reply);

} // namespace sdkstate
