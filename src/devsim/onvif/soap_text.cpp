#include "onvif/soap_text.h"

#include <cstring>

namespace onvifsim {

std::string XmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string_view LocalName(const pugi::xml_node& node) {
    const std::string_view name = node.name();
    const auto colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

std::string NamespaceOf(const pugi::xml_node& node) {
    const std::string_view name = node.name();
    const auto colon = name.find(':');
    const std::string attribute =
        colon == std::string_view::npos ? "xmlns" : "xmlns:" + std::string(name.substr(0, colon));
    for (pugi::xml_node at = node; at; at = at.parent()) {
        if (const pugi::xml_attribute declared = at.attribute(attribute.c_str())) {
            return declared.value();
        }
    }
    return {};
}

pugi::xml_node ChildByLocalName(const pugi::xml_node& node, std::string_view local) {
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element && LocalName(child) == local) {
            return child;
        }
    }
    return {};
}

pugi::xml_node FirstElement(const pugi::xml_node& node) {
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element) {
            return child;
        }
    }
    return {};
}

std::string SoapEnvelope(const std::string& body, const std::string& header) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<env:Envelope xmlns:env=\"http://www.w3.org/2003/05/soap-envelope\""
                      " xmlns:tds=\"http://www.onvif.org/ver10/device/wsdl\""
                      " xmlns:trt=\"http://www.onvif.org/ver10/media/wsdl\""
                      " xmlns:tr2=\"http://www.onvif.org/ver20/media/wsdl\""
                      " xmlns:tt=\"http://www.onvif.org/ver10/schema\""
                      " xmlns:ter=\"http://www.onvif.org/ver10/error\">";
    if (!header.empty()) {
        out += "<env:Header>" + header + "</env:Header>";
    }
    return out + "<env:Body>" + body + "</env:Body></env:Envelope>\n";
}

std::string SoapFault(const char* code, const char* subcode, const char* reason) {
    return SoapEnvelope(std::string("<env:Fault><env:Code><env:Value>") + code +
                        "</env:Value><env:Subcode><env:Value>" + subcode +
                        "</env:Value></env:Subcode></env:Code><env:Reason><env:Text xml:lang=\"en\">" +
                        XmlEscape(reason) + "</env:Text></env:Reason></env:Fault>");
}

} // namespace onvifsim
