#pragma once
// The RTSP address a stream is opened with: the user and password go into
// its user information, percent-encoded so that any character of theirs
// (':', '@', '/', '%', spaces, non-ASCII) stays a character of the
// credentials. The result holds the password: never log it, wipe it when
// done.
#include <string>
#include <string_view>

namespace preview {

// Every byte outside RFC 3986's unreserved set as %XX.
std::string PercentEncode(std::string_view text);

// url ("rtsp://host[:port]/path") with user and password as its user
// information, replacing any it had. Without a user, url without user
// information. url as it is when it has no "scheme://".
std::string WithCredentials(std::string_view url, std::string_view user, std::string_view password);

} // namespace preview
