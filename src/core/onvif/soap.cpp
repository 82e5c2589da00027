#include "onvif/soap.h"

#include "onvif/xml_reader.h"

#include <cstdio>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <vector>

namespace onvif {
namespace {

// Days from 1970-01-01 to a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day) {
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<int64_t>(dayOfEra) - 719468;
}

} // namespace

std::string Base64(const uint8_t* data, std::size_t size) {
    std::vector<unsigned char> out(4 * ((size + 2) / 3) + 1);
    const int length = EVP_EncodeBlock(out.data(), data, static_cast<int>(size));
    return std::string(reinterpret_cast<const char*>(out.data()), static_cast<std::size_t>(length));
}

std::string FormatUtc(int64_t seconds) {
    int64_t days = seconds / 86400;
    int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    // Civil date from days since 1970-01-01.
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned monthIndex = (5 * dayOfYear + 2) / 153;
    const unsigned day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    const unsigned month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    const int64_t year = static_cast<int64_t>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0);
    char text[40];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02lld:%02lld:%02lldZ", static_cast<long long>(year),
                  month, day, static_cast<long long>(rest / 3600), static_cast<long long>(rest / 60 % 60),
                  static_cast<long long>(rest % 60));
    return text;
}

int64_t UtcSeconds(int year, int month, int day, int hour, int minute, int second) {
    return DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * 86400 +
           hour * 3600 + minute * 60 + second;
}

UsernameToken MakeUsernameToken(std::string_view user, std::string_view password, int64_t deviceUtcSeconds,
                                const Nonce& nonce) {
    UsernameToken token;
    token.user = std::string(user);
    token.created = FormatUtc(deviceUtcSeconds);
    token.nonce = Base64(nonce.data(), nonce.size());
    std::array<uint8_t, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    const bool hashed = context != nullptr && EVP_DigestInit_ex(context, EVP_sha1(), nullptr) == 1 &&
                        EVP_DigestUpdate(context, nonce.data(), nonce.size()) == 1 &&
                        EVP_DigestUpdate(context, token.created.data(), token.created.size()) == 1 &&
                        EVP_DigestUpdate(context, password.data(), password.size()) == 1 &&
                        EVP_DigestFinal_ex(context, digest.data(), &length) == 1;
    EVP_MD_CTX_free(context); // wipes the hashing state
    if (hashed) {
        token.passwordDigest = Base64(digest.data(), length);
    }
    return token;
}

UsernameToken MakeUsernameToken(std::string_view user, std::string_view password, int64_t deviceUtcSeconds) {
    Nonce nonce{};
    RAND_bytes(nonce.data(), static_cast<int>(nonce.size()));
    return MakeUsernameToken(user, password, deviceUtcSeconds, nonce);
}

std::string BuildSoapEnvelope(std::string_view bodyContent, const UsernameToken* token) {
    std::string envelope = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                           "<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\">";
    if (token != nullptr) {
        envelope += "<s:Header><wsse:Security s:mustUnderstand=\"1\""
                    " xmlns:wsse=\"http://docs.oasis-open.org/wss/2004/01/"
                    "oasis-200401-wss-wssecurity-secext-1.0.xsd\""
                    " xmlns:wsu=\"http://docs.oasis-open.org/wss/2004/01/"
                    "oasis-200401-wss-wssecurity-utility-1.0.xsd\">"
                    "<wsse:UsernameToken><wsse:Username>";
        envelope += Escape(token->user);
        envelope += "</wsse:Username><wsse:Password Type=\"http://docs.oasis-open.org/wss/2004/01/"
                    "oasis-200401-wss-username-token-profile-1.0#PasswordDigest\">";
        envelope += token->passwordDigest;
        envelope += "</wsse:Password><wsse:Nonce EncodingType=\"http://docs.oasis-open.org/wss/2004/01/"
                    "oasis-200401-wss-soap-message-security-1.0#Base64Binary\">";
        envelope += token->nonce;
        envelope += "</wsse:Nonce><wsu:Created>";
        envelope += token->created;
        envelope += "</wsu:Created></wsse:UsernameToken></wsse:Security></s:Header>";
    }
    envelope += "<s:Body xmlns:tds=\"http://www.onvif.org/ver10/device/wsdl\""
                " xmlns:tt=\"http://www.onvif.org/ver10/schema\">";
    envelope += bodyContent;
    envelope += "</s:Body></s:Envelope>";
    return envelope;
}

std::optional<SoapResponse> ParseSoapResponse(std::string_view text) {
    std::shared_ptr<pugi::xml_document> document = ParseDocument(text);
    if (!document) {
        return std::nullopt;
    }
    const pugi::xml_node envelope = document->document_element();
    const pugi::xml_node body = Child(envelope, "Body");
    if (LocalName(envelope) != "Envelope" || !body) {
        return std::nullopt;
    }
    pugi::xml_node content = body.first_child();
    while (content && content.type() != pugi::node_element) {
        content = content.next_sibling();
    }
    if (!content) {
        return std::nullopt;
    }
    SoapResponse response;
    response.document = std::move(document);
    response.content = content;
    if (LocalName(content) == "Fault") {
        SoapFault fault;
        const pugi::xml_node code = Child(content, "Code");
        const auto localText = [](const pugi::xml_node& node) {
            const std::string value = Text(node);
            const std::size_t colon = value.rfind(':');
            return colon == std::string::npos ? value : value.substr(colon + 1);
        };
        fault.code = localText(Child(code, "Value"));
        // Subcodes nest; the innermost names the reason most precisely. The
        // depth is bounded by the document's size.
        for (pugi::xml_node sub = Child(code, "Subcode"); sub; sub = Child(sub, "Subcode")) {
            fault.subcode = localText(Child(sub, "Value"));
        }
        fault.reason = Text(Path(content, {"Reason", "Text"}));
        response.fault = std::move(fault);
    }
    return response;
}

std::optional<SoapResponse> ParseResponseNamed(std::string_view text, std::string_view name) {
    std::optional<SoapResponse> response = ParseSoapResponse(text);
    if (!response || response->fault || LocalName(response->content) != name) {
        return std::nullopt;
    }
    return response;
}

bool IsAuthenticationFault(const SoapFault& fault) {
    return fault.subcode == "NotAuthorized" || fault.subcode == "FailedAuthentication" ||
           fault.subcode == "InvalidSecurity" || fault.subcode == "InvalidSecurityToken" ||
           fault.subcode == "MessageExpired";
}

} // namespace onvif
