#pragma once
// MODIFY_USER from protocol version 3: the client takes the user name and
// both passwords from the records the program fills in (as for version 2),
// derives both keys under the device's salt and cost, and sends the proof
// of the old key and the new key, never a password
// (docs/device-protocol.md, section 5.4).
#include "sdk/client_session.h"

#include <cstdint>
#include <optional>

namespace sdkclient {

// The request body; nothing when a record's name or password field holds
// no zero byte, or the name is empty or over 95 bytes.
std::optional<sdkwire::Bytes> ModifyUserKeyBody(const ClientSession::Agreement& agreement, int operation,
                                                const uint8_t* newRecord, const uint8_t* oldRecord);

} // namespace sdkclient
