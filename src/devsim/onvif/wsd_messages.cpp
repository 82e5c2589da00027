#include "onvif/wsd_messages.h"

#include "onvif/onvif_defaults.h"
#include "onvif/soap_text.h"

#include <algorithm>
#include <cctype>
#include <pugixml.hpp>
#include <sstream>

namespace onvifsim {

namespace {

const char* kDiscoveryNs = "http://schemas.xmlsoap.org/ws/2005/04/discovery";
const char* kProbeAction = "http://schemas.xmlsoap.org/ws/2005/04/discovery/Probe";
const char* kNetworkNs = "http://www.onvif.org/ver10/network/wsdl";
const char* kRfc3986 = "http://schemas.xmlsoap.org/ws/2005/04/discovery/rfc3986";
const char* kStrcmp0 = "http://schemas.xmlsoap.org/ws/2005/04/discovery/strcmp0";

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream items(text);
    for (std::string word; items >> word;) {
        words.push_back(word);
    }
    return words;
}

// Resolves "prefix:Local" by the xmlns declarations in scope at node.
QualifiedName Resolve(const pugi::xml_node& node, const std::string& qname) {
    const auto colon = qname.find(':');
    const std::string prefix = colon == std::string::npos ? "" : qname.substr(0, colon);
    const std::string attribute = prefix.empty() ? "xmlns" : "xmlns:" + prefix;
    for (pugi::xml_node at = node; at; at = at.parent()) {
        if (const pugi::xml_attribute declared = at.attribute(attribute.c_str())) {
            return {declared.value(), qname.substr(colon == std::string::npos ? 0 : colon + 1)};
        }
    }
    return {"", qname.substr(colon == std::string::npos ? 0 : colon + 1)};
}

QualifiedName DeviceType(const std::string& qname) {
    const auto colon = qname.find(':');
    const std::string prefix = qname.substr(0, colon);
    return {prefix == "tds" ? kDeviceNs : kNetworkNs, qname.substr(colon + 1)};
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// RFC 3986 matching as WS-Discovery uses it: the same scheme and
// authority (any case), and the probe's path segments lead the device's.
bool ScopeMatches(const std::string& probe, const std::string& device) {
    const auto authorityEnd = [](const std::string& uri) {
        const auto start = uri.find("://");
        return start == std::string::npos ? uri.find(':') : uri.find('/', start + 3);
    };
    const auto probeEnd = authorityEnd(probe);
    const auto deviceEnd = authorityEnd(device);
    if (Lower(probe.substr(0, probeEnd)) != Lower(device.substr(0, deviceEnd))) {
        return false;
    }
    std::string probePath = probeEnd == std::string::npos ? "" : probe.substr(probeEnd);
    const std::string devicePath = deviceEnd == std::string::npos ? "" : device.substr(deviceEnd);
    while (!probePath.empty() && probePath.back() == '/') {
        probePath.pop_back();
    }
    return devicePath.compare(0, probePath.size(), probePath) == 0 &&
           (devicePath.size() == probePath.size() || devicePath[probePath.size()] == '/');
}

std::string Header(const std::string& messageId, const std::string& action, const std::string& to,
                   const std::string& relatesTo, AppSequence& sequence) {
    std::string header = "<wsa:MessageID>" + XmlEscape(messageId) + "</wsa:MessageID>";
    if (!relatesTo.empty()) {
        header += "<wsa:RelatesTo>" + XmlEscape(relatesTo) + "</wsa:RelatesTo>";
    }
    header += "<wsa:To>" + to + "</wsa:To><wsa:Action>" + std::string(kDiscoveryNs) + "/" + action +
              "</wsa:Action><d:AppSequence InstanceId=\"" + std::to_string(sequence.instanceId) +
              "\" MessageNumber=\"" + std::to_string(++sequence.messageNumber) + "\"/>";
    return header;
}

std::string Envelope(const std::string& header, const std::string& body) {
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<env:Envelope xmlns:env=\"http://www.w3.org/2003/05/soap-envelope\""
                       " xmlns:wsa=\"http://schemas.xmlsoap.org/ws/2004/08/addressing\" xmlns:d=\"") +
           kDiscoveryNs + "\" xmlns:dn=\"" + kNetworkNs + "\" xmlns:tds=\"" + kDeviceNs + "\"><env:Header>" +
           header + "</env:Header><env:Body>" + body + "</env:Body></env:Envelope>\n";
}

std::string Description(const SimDevice& device, bool withAddresses) {
    std::string types, scopes;
    for (const std::string& type : OnvifTypes(device)) {
        types += (types.empty() ? "" : " ") + type;
    }
    for (const std::string& scope : OnvifScopes(device)) {
        scopes += (scopes.empty() ? "" : " ") + scope;
    }
    std::string out = "<wsa:EndpointReference><wsa:Address>" + XmlEscape(OnvifEndpoint(device)) +
                      "</wsa:Address></wsa:EndpointReference>";
    if (withAddresses) {
        out += "<d:Types>" + types + "</d:Types><d:Scopes>" + XmlEscape(scopes) + "</d:Scopes><d:XAddrs>" +
               XmlEscape(OnvifXAddrs(device)) + "</d:XAddrs><d:MetadataVersion>1</d:MetadataVersion>";
    }
    return out;
}

const char* kMulticastTo = "urn:schemas-xmlsoap-org:ws:2005:04:discovery";

} // namespace

std::optional<Probe> ParseProbe(const std::string& text) {
    if (text.size() > kMaxProbeBytes) {
        return std::nullopt;
    }
    pugi::xml_document document;
    if (!document.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8)) {
        return std::nullopt;
    }
    const pugi::xml_node envelope = FirstElement(document);
    const pugi::xml_node header = ChildByLocalName(envelope, "Header");
    const pugi::xml_node probe = ChildByLocalName(ChildByLocalName(envelope, "Body"), "Probe");
    const std::string action = ChildByLocalName(header, "Action").text().as_string();
    if (LocalName(envelope) != "Envelope" || !probe || NamespaceOf(probe) != kDiscoveryNs ||
        (!action.empty() && action != kProbeAction)) {
        return std::nullopt;
    }
    Probe out;
    out.messageId = ChildByLocalName(header, "MessageID").text().as_string();
    if (out.messageId.empty()) {
        return std::nullopt;
    }
    const pugi::xml_node types = ChildByLocalName(probe, "Types");
    for (const std::string& word : Words(types.text().as_string())) {
        out.types.push_back(Resolve(types, word));
    }
    const pugi::xml_node scopes = ChildByLocalName(probe, "Scopes");
    out.scopes = Words(scopes.text().as_string());
    out.matchBy = scopes.attribute("MatchBy").value();
    return out;
}

bool DeviceAnswersProbe(const SimDevice& device, const Probe& probe) {
    const auto names = [&probe](const char* ns, const char* local) {
        return std::find(probe.types.begin(), probe.types.end(), QualifiedName{ns, local}) !=
               probe.types.end();
    };
    switch (device.onvif.probe) {
    case ProbeAnswers::None:
        return false;
    case ProbeAnswers::UntypedOnly:
        if (!probe.types.empty()) {
            return false;
        }
        break;
    case ProbeAnswers::Nvt:
        if (!names(kNetworkNs, "NetworkVideoTransmitter")) {
            return false;
        }
        break;
    case ProbeAnswers::Device:
        if (!names(kDeviceNs, "Device")) {
            return false;
        }
        break;
    case ProbeAnswers::Both:
        break;
    }
    std::vector<QualifiedName> deviceTypes;
    for (const std::string& type : OnvifTypes(device)) {
        deviceTypes.push_back(DeviceType(type));
    }
    for (const QualifiedName& wanted : probe.types) {
        if (std::find(deviceTypes.begin(), deviceTypes.end(), wanted) == deviceTypes.end()) {
            return false;
        }
    }
    const std::vector<std::string> deviceScopes = OnvifScopes(device);
    for (const std::string& wanted : probe.scopes) {
        const bool found =
            std::any_of(deviceScopes.begin(), deviceScopes.end(), [&](const std::string& scope) {
                if (probe.matchBy.empty() || probe.matchBy == kRfc3986) {
                    return ScopeMatches(wanted, scope);
                }
                return probe.matchBy == kStrcmp0 && wanted == scope;
            });
        if (!found) {
            return false;
        }
    }
    return true;
}

std::string BuildProbeMatches(const SimDevice& device, const std::string& relatesTo,
                              const std::string& messageId, AppSequence& sequence) {
    return Envelope(
        Header(messageId, "ProbeMatches", "http://schemas.xmlsoap.org/ws/2004/08/addressing/role/anonymous",
               relatesTo, sequence),
        "<d:ProbeMatches><d:ProbeMatch>" + Description(device, true) + "</d:ProbeMatch></d:ProbeMatches>");
}

std::string BuildHello(const SimDevice& device, const std::string& messageId, AppSequence& sequence) {
    return Envelope(Header(messageId, "Hello", kMulticastTo, {}, sequence),
                    "<d:Hello>" + Description(device, true) + "</d:Hello>");
}

std::string BuildBye(const SimDevice& device, const std::string& messageId, AppSequence& sequence) {
    return Envelope(Header(messageId, "Bye", kMulticastTo, {}, sequence),
                    "<d:Bye>" + Description(device, false) + "</d:Bye>");
}

} // namespace onvifsim
