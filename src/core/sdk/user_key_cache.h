#pragma once
// The client's memory of user keys it derived in this process, so that
// logging in again to the same device does not pay the PBKDF2 cost again.
// Entries are found by an HMAC under a random key of this process, never by
// the password itself; Clear wipes them all (SdkCloseAll does).
#include "sdk/session_crypto.h"

#include <string>

namespace sdkclient {

sdkwire::Digest CachedUserKey(const std::string& user, const std::string& password, const sdkwire::Salt& salt,
                              uint32_t iterations);
void ClearUserKeyCache();

} // namespace sdkclient
