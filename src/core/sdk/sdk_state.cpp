#include "sdk/sdk_state.h"

namespace sdkstate {

SdkState& State() {
    static SdkState state;
    return state;
}

std::shared_ptr<sdkclient::ClientSession> SessionOf(int handle) {
    auto& state = State();
    std::lock_guard lock(state.mutex);
    const auto found = state.sessions.find(handle);
    return found == state.sessions.end() ? nullptr : found->second;
}

int NewHandle(SdkState& state) {
    return state.nextHandle++;
}

std::optional<sdkwire::Reply> CallOn(int handle, uint16_t type, const sdkwire::Bytes& body, int timeoutMs) {
    auto session = SessionOf(handle);
    if (!session) {
        return std::nullopt;
    }
    return session->Call(type, body, timeoutMs);
}

int ResultOf(const std::optional<sdkwire::Reply>& reply) {
    return reply ? reply->result : sdkwire::kResultRefused;
}

} // namespace sdkstate
