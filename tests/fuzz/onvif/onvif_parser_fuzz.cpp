// Every parser of WS-Discovery messages and device service responses on
// arbitrary text, as the discovery source and the device calls receive it;
// and the facts a parsed match gives, which must stay consistent.
#include "fuzz_check.h"
#include "onvif/device_responses.h"
#include "onvif/soap.h"
#include "onvif/ws_discovery.h"
#include "onvif/xml_reader.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace onvif;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (const auto message = ParseWsdMessage(text)) {
        Check(size <= kMaxDocumentBytes && !message->messageId.empty());
        Check(message->kind != WsdKind::ProbeMatches || !message->relatesTo.empty());
        for (const WsdMatch& match : message->matches) {
            Check(!match.endpointReference.empty());
            const OnvifFacts facts = FactsFromMatch(match, 0x0A000105);
            // A device service, when there is one, is on an address that
            // answered or that the device named, and parses again.
            Check(facts.deviceServiceUrl.empty() == (facts.httpPort == 0));
            if (!facts.deviceServiceUrl.empty()) {
                const auto url = ParseHttpUrl(facts.deviceServiceUrl);
                Check(url && url->port == facts.httpPort);
            }
        }
    }
    if (const auto response = ParseSoapResponse(text)) {
        Check(response->content && size <= kMaxDocumentBytes);
    }
    if (const auto time = ParseSystemDateAndTime(text)) {
        Check(time->localTime.size() == 19);
    }
    ParseDeviceInformation(text);
    if (const auto network = ParseNetworkInterfaces(text)) {
        Check(network->mac.empty() || network->mac.size() == 17);
        Check(network->mask.empty() == (network->prefixLength < 0));
    }
    ParseDefaultGateway(text);
    ParseDns(text);
    ParseNetworkProtocols(text);
    ParseServices(text);
    ParseCapabilities(text);
    ParseUsers(text);
    PercentDecode(text);
    NormalizeMac(text);
    return 0;
}
