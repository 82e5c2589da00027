#pragma once
// The HTTP side of the device service: one POST of a SOAP envelope. An
// interface, so the authentication and the readers can be tested with
// canned answers; CreateCurlTransport gives the real one.
#include <cstddef>
#include <memory>
#include <string>

namespace onvif {

// Which HTTP authentication the request may answer a challenge with.
enum class HttpAuth : uint8_t {
    None,
    Digest,        // RFC 7616 digest (MD5 or SHA-256, as the device asks)
    DigestOrBasic, // digest, or Basic when the device offers only that
};

struct SoapRequest {
    std::string url;
    std::string action; // the SOAP action URI, sent in the content type
    std::string envelope;
    HttpAuth auth = HttpAuth::None;
    std::string user;     // for HTTP authentication
    std::string password; // wiped by the request's destructor
    long timeoutMs = 5000;

    SoapRequest() = default;
    SoapRequest(const SoapRequest&) = default;
    SoapRequest& operator=(const SoapRequest&) = default;
    ~SoapRequest();
};

enum class TransportResult : uint8_t {
    Ok,          // an HTTP answer came (any status)
    Unreachable, // no connection (refused, no route, name not resolved)
    Timeout,
    TooLarge, // the answer exceeded the size limit
    Failed,   // any other transfer failure
};

struct SoapReply {
    TransportResult result = TransportResult::Failed;
    long httpStatus = 0;
    std::string body;
};

class SoapTransport {
public:
    virtual ~SoapTransport() = default;
    // Safe to call from several threads at once.
    virtual SoapReply Post(const SoapRequest& request) = 0;
};

inline constexpr std::size_t kMaxReplyBytes = 64 * 1024;

std::shared_ptr<SoapTransport> CreateCurlTransport();

// Overwrites the text's bytes, then empties it.
void Wipe(std::string& secret);

} // namespace onvif
