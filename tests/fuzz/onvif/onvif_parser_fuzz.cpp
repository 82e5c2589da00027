// Every parser of WS-Discovery messages and device service responses on
// arbitrary text, as the discovery source and the device calls receive it;
// and the facts a parsed match gives, which must stay consistent.
#include "fuzz_check.h"
#include "onvif/config_backup.h"
#include "onvif/device_responses.h"
#include "onvif/mtom.h"
#include "onvif/soap.h"
#include "onvif/system_messages.h"
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
    // The maintenance answers; an MTOM answer has its content type on the
    // first line and its body after it.
    if (const auto ticket = ParseStartFirmwareUpgrade(text)) {
        Check(IsHttpUri(ticket->uploadUri) && ticket->uploadDelayMs >= 0 && ticket->expectedDownMs >= 0);
    }
    ParseStartSystemRestore(text);
    ParseSystemBackupUri(text);
    if (const auto ms = ParseDurationMs(text)) {
        Check(*ms >= 0 && *ms <= 366LL * 86400 * 1000);
    }
    const std::size_t line = text.find('\n');
    if (line != std::string::npos) {
        const std::string_view type = std::string_view(text).substr(0, line);
        const std::string_view body = std::string_view(text).substr(line + 1);
        if (const auto multipart = ParseMultipart(type, body)) {
            Check(multipart->root < multipart->parts.size());
            for (const MimePart& part : multipart->parts) {
                Check(part.data.data() >= body.data() &&
                      part.data.data() + part.data.size() <= body.data() + body.size());
            }
        }
        ParseSystemBackup(type, body);
    }
    return 0;
}
