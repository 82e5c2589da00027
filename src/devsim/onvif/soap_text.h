#pragma once
// Small pieces of the SOAP texts the simulated devices send: escaping,
// envelopes and faults, and finding elements by local name whatever
// prefix a client chose.
#include <pugixml.hpp>
#include <string>
#include <string_view>

namespace onvifsim {

constexpr const char* kSoapEnvelopeNs = "http://www.w3.org/2003/05/soap-envelope";
constexpr const char* kDeviceNs = "http://www.onvif.org/ver10/device/wsdl";
constexpr const char* kMedia1Ns = "http://www.onvif.org/ver10/media/wsdl";
constexpr const char* kMedia2Ns = "http://www.onvif.org/ver20/media/wsdl";
constexpr const char* kSchemaNs = "http://www.onvif.org/ver10/schema";

std::string XmlEscape(std::string_view text);
// The local part of an element name ("tds:GetUsers" -> "GetUsers").
std::string_view LocalName(const pugi::xml_node& node);
// The namespace URI an element's prefix stands for, looked up the tree.
std::string NamespaceOf(const pugi::xml_node& node);
// The first child element with this local name (null when none).
pugi::xml_node ChildByLocalName(const pugi::xml_node& node, std::string_view local);
// The first element child.
pugi::xml_node FirstElement(const pugi::xml_node& node);

// A SOAP 1.2 envelope around body (and header, when given), declaring the
// prefixes the answers use (env, tds, trt, tr2, tt, ter).
std::string SoapEnvelope(const std::string& body, const std::string& header = {});
// A SOAP 1.2 fault: code "env:Sender" or "env:Receiver", subcode like
// "ter:NotAuthorized".
std::string SoapFault(const char* code, const char* subcode, const char* reason);

} // namespace onvifsim
