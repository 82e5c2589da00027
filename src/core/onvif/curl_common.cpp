#include "onvif/curl_common.h"

#include <mutex>

namespace onvif {

void StartCurl() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::size_t CollectInto(char* data, std::size_t size, std::size_t count, void* user) {
    auto* sink = static_cast<CurlSink*>(user);
    const std::size_t bytes = size * count;
    if (sink->body->size() + bytes > sink->limit) {
        sink->tooLarge = true;
        return 0; // ends the transfer
    }
    sink->body->append(data, bytes);
    return bytes;
}

TransportResult FromCurl(CURLcode code, const CurlSink& sink) {
    if (sink.tooLarge || code == CURLE_FILESIZE_EXCEEDED) {
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

void SetDeviceOptions(CURL* curl, const std::string& url, CurlSink& sink, HttpAuth auth,
                      const std::string& user, const std::string& password) {
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, CollectInto);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(sink.limit));
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    // Devices use self-signed certificates; the password never goes in
    // clear over HTTPS either, as it is digested.
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    if (auth != HttpAuth::None) {
        const unsigned long methods =
            auth == HttpAuth::DigestOrBasic ? (CURLAUTH_DIGEST | CURLAUTH_BASIC) : CURLAUTH_DIGEST;
        curl_easy_setopt(curl, CURLOPT_HTTPAUTH, methods);
        curl_easy_setopt(curl, CURLOPT_USERNAME, user.c_str());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, password.c_str());
    }
}

} // namespace onvif
