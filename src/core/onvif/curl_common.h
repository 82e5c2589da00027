#pragma once
// What the libcurl transports share: the library's one-time start, the
// collection of an answer up to a size limit, and the mapping of libcurl's
// results. Internal to the ONVIF library.
#include "onvif/soap_transport.h"

#include <cstddef>
#include <curl/curl.h>
#include <string>

namespace onvif {

void StartCurl();

// The answer's bytes, up to limit; beyond it the transfer ends.
struct CurlSink {
    std::string* body;
    std::size_t limit;
    bool tooLarge = false;
};
// A CURLOPT_WRITEFUNCTION for a CurlSink.
std::size_t CollectInto(char* data, std::size_t size, std::size_t count, void* sink);

TransportResult FromCurl(CURLcode code, const CurlSink& sink);

// What every request to a device sets: its address, the answer into sink,
// no signals, HTTP and HTTPS only, the devices' self-signed certificates
// taken, and the HTTP authentication auth allows with user and password
// (which must outlive the transfer).
void SetDeviceOptions(CURL* curl, const std::string& url, CurlSink& sink, HttpAuth auth,
                      const std::string& user, const std::string& password);

} // namespace onvif
