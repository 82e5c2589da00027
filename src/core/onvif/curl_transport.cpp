// The device service over libcurl: HTTP POST with the SOAP 1.2 content type,
// time-outs and a size limit on the answer. Digest authentication is
// libcurl's (it answers MD5 and SHA-256 challenges); Basic only when the
// request allows it.
#include "onvif/soap_transport.h"

#include <curl/curl.h>
#include <mutex>
#include <openssl/crypto.h>

namespace onvif {
namespace {

struct Sink {
    std::string* body;
    bool tooLarge = false;
};

std::size_t Collect(char* data, std::size_t size, std::size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const std::size_t bytes = size * count;
    if (sink->body->size() + bytes > kMaxReplyBytes) {
        sink->tooLarge = true;
        return 0; // ends the transfer
    }
    sink->body->append(data, bytes);
    return bytes;
}

TransportResult FromCurl(CURLcode code, const Sink& sink) {
    if (sink.tooLarge) {
        return TransportResult::TooLarge;
    }
    switch (code) {
    case CURLE_OK:
        return TransportResult::Ok;
    case CURLE_OPERATION_TIMEDOUT:
        return TransportResult::Timeout;
    case CURLE_COULDNT_CONNECT:
    case CURLE_COULDNT_RESOLVE_HOST:
        return TransportResult::Unreachable;
    default:
        return TransportResult::Failed;
    }
}

class CurlTransport final : public SoapTransport {
public:
    CurlTransport() {
        static std::once_flag once;
        std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    }

    SoapReply Post(const SoapRequest& request) override {
        SoapReply reply;
        CURL* curl = curl_easy_init();
        if (curl == nullptr) {
            return reply;
        }
        std::string contentType = "Content-Type: application/soap+xml; charset=utf-8";
        if (!request.action.empty()) {
            contentType += "; action=\"" + request.action + "\"";
        }
        curl_slist* headers = curl_slist_append(nullptr, contentType.c_str());
        Sink sink{&reply.body};
        curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.envelope.data());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(request.envelope.size()));
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
        curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, request.timeoutMs);
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, request.timeoutMs);
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(curl, CURLOPT_MAXFILESIZE, static_cast<long>(kMaxReplyBytes));
        // Devices use self-signed certificates; the password never goes in
        // clear over HTTPS either, as it is digested.
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
        if (request.auth != HttpAuth::None) {
            const unsigned long methods = request.auth == HttpAuth::DigestOrBasic
                                              ? (CURLAUTH_DIGEST | CURLAUTH_BASIC)
                                              : CURLAUTH_DIGEST;
            curl_easy_setopt(curl, CURLOPT_HTTPAUTH, methods);
            curl_easy_setopt(curl, CURLOPT_USERNAME, request.user.c_str());
            curl_easy_setopt(curl, CURLOPT_PASSWORD, request.password.c_str());
        }
        const CURLcode code = curl_easy_perform(curl);
        reply.result = FromCurl(code, sink);
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &reply.httpStatus);
        curl_easy_cleanup(curl);
        curl_slist_free_all(headers);
        return reply;
    }
};

} // namespace

SoapRequest::~SoapRequest() {
    Wipe(password);
}

void Wipe(std::string& secret) {
    if (!secret.empty()) {
        OPENSSL_cleanse(secret.data(), secret.size());
    }
    secret.clear();
}

std::shared_ptr<SoapTransport> CreateCurlTransport() {
    return std::make_shared<CurlTransport>();
}

} // namespace onvif
