// The device service over libcurl: HTTP POST with the SOAP 1.2 content type,
// time-outs and a size limit on the answer. Digest authentication is
// libcurl's (it answers MD5 and SHA-256 challenges); Basic only when the
// request allows it.
#include "onvif/curl_common.h"
#include "onvif/soap_transport.h"

#include <openssl/crypto.h>

namespace onvif {
namespace {

class CurlTransport final : public SoapTransport {
public:
    CurlTransport() { StartCurl(); }

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
        CurlSink sink{&reply.body, kMaxReplyBytes};
        SetDeviceOptions(curl, request.url, sink, request.auth, request.user, request.password);
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.envelope.data());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(request.envelope.size()));
        curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, request.timeoutMs);
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, request.timeoutMs);
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
