#pragma once
// How a simulated ONVIF device checks who calls it: HTTP digest (RFC 7616,
// MD5 and SHA-256, qop "auth", stateless nonces that carry their time) and
// WS-Security UsernameToken password digests, whose creation time must lie
// within five minutes of the device's own clock. Pure functions; the
// caller keeps the failure count and the lock.
#include "onvif/onvif_config.h"

#include <cstdint>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <vector>

namespace onvifsim {

constexpr const char* kDigestRealm = "ONVIF";
constexpr int64_t kNonceLifetimeS = 300;
constexpr int64_t kCreatedWindowS = 300;

enum class HashKind { Md5, Sha1, Sha256 };
std::string HashHex(HashKind kind, const std::string& data);
std::string Sha1Raw(const std::string& data);
std::string Base64Encode(const std::string& data);
std::optional<std::string> Base64Decode(const std::string& text);

// Seconds since 1970 of "YYYY-MM-DDThh:mm:ss[.fff]Z"; nullopt when not so.
std::optional<int64_t> ParseUtcTime(const std::string& text);

// A nonce for device "who" issued at nowS (true time), bound to secret.
std::string MakeDigestNonce(const std::string& secret, const std::string& who, int64_t nowS);
// The WWW-Authenticate values of a 401 answer: SHA-256 first, then MD5.
std::vector<std::string> DigestChallenges(const std::string& nonce, bool stale);

enum class AuthVerdict { Absent, Accepted, Refused, Stale };
struct AuthResult {
    AuthVerdict verdict = AuthVerdict::Absent;
    const OnvifUser* user = nullptr; // the user, when accepted
};

// Checks an Authorization header of a request (method, path) against the users.
AuthResult CheckDigest(const std::string& authorization, const std::string& method, const std::string& path,
                       const std::vector<OnvifUser>& users, const std::string& secret, const std::string& who,
                       int64_t nowS);
// Checks the UsernameToken of a SOAP header (null header: absent) against
// the users, with the device clock deviceNowS.
AuthResult CheckUsernameToken(const pugi::xml_node& header, const std::vector<OnvifUser>& users,
                              int64_t deviceNowS);

} // namespace onvifsim
