#include "onvif/onvif_auth.h"

#include "onvif/soap_text.h"

#include <cctype>
#include <cstdio>
#include <ctime>
#include <map>
#include <openssl/evp.h>

namespace onvifsim {

namespace {

const EVP_MD* Algorithm(HashKind kind) {
    switch (kind) {
    case HashKind::Md5:
        return EVP_md5();
    case HashKind::Sha1:
        return EVP_sha1();
    case HashKind::Sha256:
        break;
    }
    return EVP_sha256();
}

std::string HashRaw(HashKind kind, const std::string& data) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(data.data(), data.size(), digest, &length, Algorithm(kind), nullptr);
    return std::string(reinterpret_cast<const char*>(digest), length);
}

bool SameText(const std::string& a, const std::string& b) {
    unsigned difference = a.size() == b.size() ? 0u : 1u;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        difference |=
            static_cast<unsigned>(static_cast<unsigned char>(a[i]) ^ static_cast<unsigned char>(b[i]));
    }
    return difference == 0;
}

// The parameters of "Digest a=b, c="d", ..." (names in lower case).
std::map<std::string, std::string> DigestParameters(const std::string& header) {
    std::map<std::string, std::string> out;
    std::size_t at = header.find(' ');
    while (at != std::string::npos && at < header.size()) {
        while (at < header.size() && (header[at] == ' ' || header[at] == ',')) {
            ++at;
        }
        const auto equals = header.find('=', at);
        if (equals == std::string::npos) {
            break;
        }
        std::string name;
        for (std::size_t i = at; i < equals; ++i) {
            name += static_cast<char>(std::tolower(static_cast<unsigned char>(header[i])));
        }
        std::string value;
        at = equals + 1;
        if (at < header.size() && header[at] == '"') {
            const auto close = header.find('"', at + 1);
            if (close == std::string::npos) {
                break;
            }
            value = header.substr(at + 1, close - at - 1);
            at = close + 1;
        } else {
            const auto comma = header.find(',', at);
            value = header.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
            at = comma;
        }
        while (!value.empty() && value.back() == ' ') {
            value.pop_back();
        }
        out[name] = value;
    }
    return out;
}

const OnvifUser* FindUser(const std::vector<OnvifUser>& users, const std::string& name) {
    for (const OnvifUser& user : users) {
        if (user.name == name) {
            return &user;
        }
    }
    return nullptr;
}

} // namespace

std::string HashHex(HashKind kind, const std::string& data) {
    const std::string raw = HashRaw(kind, data);
    std::string out;
    char pair[3];
    for (const char c : raw) {
        std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned char>(c));
        out += pair;
    }
    return out;
}

std::string Sha1Raw(const std::string& data) {
    return HashRaw(HashKind::Sha1, data);
}

std::string Base64Encode(const std::string& data) {
    std::string out(4 * ((data.size() + 2) / 3) + 1, '\0');
    const int length =
        EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                        reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()));
    out.resize(static_cast<std::size_t>(length));
    return out;
}

std::optional<std::string> Base64Decode(const std::string& text) {
    std::string clean;
    for (const char c : text) {
        if (std::isspace(static_cast<unsigned char>(c)) == 0) {
            clean += c;
        }
    }
    if (clean.size() % 4 != 0 || clean.size() > 4096) {
        return std::nullopt;
    }
    std::string out(clean.size() / 4 * 3, '\0');
    const int length =
        EVP_DecodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                        reinterpret_cast<const unsigned char*>(clean.data()), static_cast<int>(clean.size()));
    if (length < 0) {
        return std::nullopt;
    }
    // EVP_DecodeBlock counts the padding as zero bytes.
    std::size_t size = static_cast<std::size_t>(length);
    for (std::size_t i = clean.size(); i > 0 && clean[i - 1] == '=' && size > 0; --i) {
        --size;
    }
    out.resize(size);
    return out;
}

std::optional<int64_t> ParseUtcTime(const std::string& text) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, used = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%n", &year, &month, &day, &hour, &minute, &second,
                    &used) != 6 ||
        used != 19) {
        return std::nullopt;
    }
    std::size_t at = 19;
    if (at < text.size() && text[at] == '.') {
        ++at;
        while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) != 0) {
            ++at;
        }
    }
    if (at + 1 != text.size() || text[at] != 'Z' || month < 1 || month > 12 || day < 1 || day > 31 ||
        hour > 23 || minute > 59 || second > 60) {
        return std::nullopt;
    }
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    return static_cast<int64_t>(timegm(&parts));
}

std::string MakeDigestNonce(const std::string& secret, const std::string& who, int64_t nowS) {
    char stamp[20];
    std::snprintf(stamp, sizeof stamp, "%llx", static_cast<unsigned long long>(nowS));
    return std::string(stamp) + "." +
           HashHex(HashKind::Sha256, secret + ":" + stamp + ":" + who).substr(0, 32);
}

std::vector<std::string> DigestChallenges(const std::string& nonce, bool stale) {
    std::vector<std::string> out;
    for (const char* algorithm : {"SHA-256", "MD5"}) {
        out.push_back(std::string("Digest realm=\"") + kDigestRealm + "\", qop=\"auth\", algorithm=" +
                      algorithm + ", nonce=\"" + nonce + "\"" + (stale ? ", stale=true" : ""));
    }
    return out;
}

AuthResult CheckDigest(const std::string& authorization, const std::string& method, const std::string& path,
                       const std::vector<OnvifUser>& users, const std::string& secret, const std::string& who,
                       int64_t nowS) {
    if (authorization.size() < 7 || authorization.compare(0, 7, "Digest ") != 0) {
        return {};
    }
    auto parameters = DigestParameters(authorization);
    const std::string algorithm = parameters["algorithm"].empty() ? "MD5" : parameters["algorithm"];
    if (algorithm != "MD5" && algorithm != "SHA-256") {
        return {AuthVerdict::Refused};
    }
    const HashKind kind = algorithm == "MD5" ? HashKind::Md5 : HashKind::Sha256;
    const std::string& nonce = parameters["nonce"];
    const auto dot = nonce.find('.');
    const int64_t issued =
        dot == std::string::npos ? -1 : std::strtoll(nonce.substr(0, dot).c_str(), nullptr, 16);
    if (issued < 0 || !SameText(nonce, MakeDigestNonce(secret, who, issued)) ||
        parameters["realm"] != kDigestRealm || parameters["uri"] != path) {
        return {AuthVerdict::Refused};
    }
    const OnvifUser* user = FindUser(users, parameters["username"]);
    if (user == nullptr) {
        return {AuthVerdict::Refused};
    }
    const std::string ha1 = HashHex(kind, user->name + ":" + kDigestRealm + ":" + user->password);
    const std::string ha2 = HashHex(kind, method + ":" + parameters["uri"]);
    const std::string& qop = parameters["qop"];
    if (!qop.empty() && qop != "auth") {
        return {AuthVerdict::Refused};
    }
    const std::string expected = qop.empty()
                                     ? HashHex(kind, ha1 + ":" + nonce + ":" + ha2)
                                     : HashHex(kind, ha1 + ":" + nonce + ":" + parameters["nc"] + ":" +
                                                         parameters["cnonce"] + ":" + qop + ":" + ha2);
    if (!SameText(expected, parameters["response"])) {
        return {AuthVerdict::Refused};
    }
    // A right answer to an old nonce: the client should retry with a new one.
    if (nowS - issued > kNonceLifetimeS || issued > nowS + 5) {
        return {AuthVerdict::Stale};
    }
    return {AuthVerdict::Accepted, user};
}

AuthResult CheckUsernameToken(const pugi::xml_node& header, const std::vector<OnvifUser>& users,
                              int64_t deviceNowS) {
    const pugi::xml_node token = ChildByLocalName(ChildByLocalName(header, "Security"), "UsernameToken");
    if (!token) {
        return {};
    }
    const pugi::xml_node password = ChildByLocalName(token, "Password");
    const std::string type = password.attribute("Type").value();
    const std::string digestType = "#PasswordDigest";
    const bool isDigest = type.size() >= digestType.size() &&
                          type.compare(type.size() - digestType.size(), digestType.size(), digestType) == 0;
    const auto nonce = Base64Decode(ChildByLocalName(token, "Nonce").text().as_string());
    const std::string created = ChildByLocalName(token, "Created").text().as_string();
    const auto createdS = ParseUtcTime(created);
    const OnvifUser* user = FindUser(users, ChildByLocalName(token, "Username").text().as_string());
    if (!isDigest || !nonce || !createdS || user == nullptr) {
        return {AuthVerdict::Refused};
    }
    const std::string expected = Base64Encode(Sha1Raw(*nonce + created + user->password));
    if (!SameText(expected, password.text().as_string())) {
        return {AuthVerdict::Refused};
    }
    if (*createdS < deviceNowS - kCreatedWindowS || *createdS > deviceNowS + kCreatedWindowS) {
        return {AuthVerdict::Refused};
    }
    return {AuthVerdict::Accepted, user};
}

} // namespace onvifsim
