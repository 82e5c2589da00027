#pragma once
// Logins as ONVIF clients make them, computed from their definitions (not
// by the simulator's code): WS-Security UsernameToken password digests and
// HTTP digest answers (RFC 7616), for the tests of the simulated services.
#include <cstdint>
#include <ctime>
#include <openssl/evp.h>
#include <string>

namespace soaptest {

inline std::string Hash(const EVP_MD* algorithm, const std::string& data, bool hex = true) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(data.data(), data.size(), digest, &length, algorithm, nullptr);
    if (!hex) {
        return std::string(reinterpret_cast<char*>(digest), length);
    }
    std::string out;
    for (unsigned int i = 0; i < length; ++i) {
        out += "0123456789abcdef"[digest[i] >> 4];
        out += "0123456789abcdef"[digest[i] & 15];
    }
    return out;
}

inline std::string Base64(const std::string& data) {
    std::string out(4 * ((data.size() + 2) / 3) + 1, '\0');
    out.resize(static_cast<std::size_t>(EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                                        reinterpret_cast<const unsigned char*>(data.data()),
                                                        static_cast<int>(data.size()))));
    return out;
}

inline std::string UtcText(int64_t seconds) {
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm parts{};
    gmtime_r(&time, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

inline std::string Token(const std::string& user, const std::string& password, int64_t created,
                         const char* type = "#PasswordDigest") {
    const std::string nonce = "0123456789abcdef";
    const std::string createdText = UtcText(created);
    return "<Security "
           "xmlns=\"http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-wssecurity-secext-1.0.xsd\">"
           "<UsernameToken><Username>" +
           user +
           "</Username><Password Type=\"http://docs.oasis-open.org/wss/2004/01/"
           "oasis-200401-wss-username-token-profile-1.0" +
           type + "\">" + Base64(Hash(EVP_sha1(), nonce + createdText + password, false)) +
           "</Password><Nonce>" + Base64(nonce) +
           "</Nonce><Created xmlns=\"http://docs.oasis-open.org/wss/2004/01/"
           "oasis-200401-wss-wssecurity-utility-1.0.xsd\">" +
           createdText + "</Created></UsernameToken></Security>";
}

inline std::string Quoted(const std::string& text, const std::string& name) {
    const auto start = text.find(name + "=\"") + name.size() + 2;
    return text.substr(start, text.find('"', start) - start);
}

// The Authorization header answering a challenge as RFC 7616 defines it.
inline std::string DigestAnswer(const std::string& challenge, const EVP_MD* algorithm,
                                const std::string& user, const std::string& password,
                                const std::string& method = "POST",
                                const std::string& uri = "/onvif/device_service") {
    const std::string realm = Quoted(challenge, "realm");
    const std::string nonce = Quoted(challenge, "nonce");
    const std::string ha1 = Hash(algorithm, user + ":" + realm + ":" + password);
    const std::string ha2 = Hash(algorithm, method + ":" + uri);
    const std::string response = Hash(algorithm, ha1 + ":" + nonce + ":00000001:c1:auth:" + ha2);
    return "Digest username=\"" + user + "\", realm=\"" + realm + "\", nonce=\"" + nonce + "\", uri=\"" +
           uri + "\", algorithm=" + (algorithm == EVP_md5() ? "MD5" : "SHA-256") +
           ", qop=auth, nc=00000001, cnonce=\"c1\", response=\"" + response + "\"";
}

} // namespace soaptest
