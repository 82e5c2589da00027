#pragma once
// SOAP 1.2 envelopes of the ONVIF device service: the request envelope, with
// an optional WS-Security UsernameToken (password digest), and the response
// envelope taken apart into its body or its fault. Pure: no sockets.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>

namespace onvif {

inline constexpr const char* kDeviceNamespace = "http://www.onvif.org/ver10/device/wsdl";

// The header's token: Password is Base64(SHA1(nonce + created + password)).
struct UsernameToken {
    std::string user;
    std::string passwordDigest; // Base64
    std::string nonce;          // Base64 of the raw nonce bytes
    std::string created;        // "YYYY-MM-DDThh:mm:ssZ" on the device's clock
};

using Nonce = std::array<uint8_t, 16>;

std::string Base64(const uint8_t* data, std::size_t size);

// created is the token's creation time on the device's clock: this
// computer's UTC time plus the device's clock offset.
UsernameToken MakeUsernameToken(std::string_view user, std::string_view password, int64_t deviceUtcSeconds,
                                const Nonce& nonce);
// The same with a fresh random nonce.
UsernameToken MakeUsernameToken(std::string_view user, std::string_view password, int64_t deviceUtcSeconds);

// "YYYY-MM-DDThh:mm:ssZ" for seconds since 1970 (UTC), and back (nullopt
// when a field is out of range).
std::string FormatUtc(int64_t seconds);
int64_t UtcSeconds(int year, int month, int day, int hour, int minute, int second);

// bodyContent is the XML inside s:Body; the prefixes tds (device service)
// and tt (schema) are bound on the Body element.
std::string BuildSoapEnvelope(std::string_view bodyContent, const UsernameToken* token = nullptr);

struct SoapFault {
    std::string code;    // local name of the Code's Value, "Sender" or "Receiver"
    std::string subcode; // local name of the innermost Subcode's Value, "NotAuthorized"
    std::string reason;  // the first Reason text
};

// A response envelope: the body's first element, or the fault.
struct SoapResponse {
    std::shared_ptr<pugi::xml_document> document; // keeps content alive
    pugi::xml_node content;
    std::optional<SoapFault> fault;
};

// nullopt when the text is not a bounded, well-formed SOAP envelope with a
// body element.
std::optional<SoapResponse> ParseSoapResponse(std::string_view text);

// The response envelope whose body element has this local name; nullopt
// for a fault, another response or no envelope.
std::optional<SoapResponse> ParseResponseNamed(std::string_view text, std::string_view name);

// True for faults that refuse the caller's identity (wrong user or
// password, a token the device does not accept).
bool IsAuthenticationFault(const SoapFault& fault);

} // namespace onvif
