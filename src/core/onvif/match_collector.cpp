#include "onvif/match_collector.h"

#include "discovery/discovery_source.h"

namespace onvif {

DeviceEntry OnvifRecord(const WsdMatch& match, uint32_t sourceAddress) {
    DeviceEntry entry;
    entry.onvif = FactsFromMatch(match, sourceAddress);
    const std::optional<DeviceService> service = ChooseDeviceService(match.xaddrs, sourceAddress);
    entry.ip = service ? service->address : net::AddressToText(sourceAddress);
    entry.webPort = entry.onvif.httpPort;
    entry.onvifPort = entry.onvif.httpPort;
    entry.onvifAvailable = 1;
    if (!entry.onvif.hardware.empty()) {
        entry.model = entry.onvif.hardware;
    }
    // The type column's words of the native family: a camera, a recorder.
    if (entry.onvif.deviceType == OnvifDeviceType::Camera) {
        entry.type = "IPC";
    } else if (entry.onvif.deviceType == OnvifDeviceType::Recorder) {
        entry.type = "NVR";
    }
    entry.operations = OnvifOperations();
    // A network video transmitter streams video: its preview is offered
    // before a login, which then reads whether it has media services.
    if (entry.onvif.deviceType == OnvifDeviceType::Camera) {
        entry.operations |= OperationSet{DeviceOperation::Preview};
    }
    entry.families = DeviceFamilies{DeviceFamily::Onvif};
    return entry;
}

void MatchCollector::AddSentProbe(const std::string& messageId) {
    m_sent.insert(messageId);
}

std::vector<DeviceEntry> MatchCollector::Take(const WsdDatagram& datagram, const net::InterfaceAddress* via) {
    std::vector<DeviceEntry> found;
    const std::optional<WsdMessage> message = ParseWsdMessage(datagram.text);
    if (!message || message->kind != WsdKind::ProbeMatches || m_sent.count(message->messageId) != 0 ||
        m_sent.count(message->relatesTo) == 0 || !m_seen.insert(message->messageId).second) {
        return found;
    }
    for (const WsdMatch& match : message->matches) {
        if (m_devices.count(match.endpointReference) != 0) {
            continue;
        }
        DeviceEntry entry = OnvifRecord(match, datagram.from.address);
        if (via != nullptr && !via->name.empty()) {
            entry.interfaceName = via->name;
            entry.localAddress = net::AddressToText(via->address);
        }
        m_devices.emplace(match.endpointReference, entry);
        found.push_back(std::move(entry));
    }
    return found;
}

} // namespace onvif
