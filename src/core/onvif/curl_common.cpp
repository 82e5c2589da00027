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

} // namespace onvif
