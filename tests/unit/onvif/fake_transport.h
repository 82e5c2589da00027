#pragma once
// A device service without sockets: answers each request from a handler and
// keeps what was asked.
#include "onvif/soap_transport.h"

#include <functional>
#include <mutex>
#include <vector>

struct SentRequest {
    std::string url;
    std::string action;
    std::string envelope;
    onvif::HttpAuth auth = onvif::HttpAuth::None;
    std::string user;
    std::string password;
};

class FakeTransport : public onvif::SoapTransport {
public:
    using Handler = std::function<onvif::SoapReply(const SentRequest&)>;
    explicit FakeTransport(Handler handler) : m_handler(std::move(handler)) {}

    onvif::SoapReply Post(const onvif::SoapRequest& request) override {
        SentRequest sent{request.url,  request.action, request.envelope,
                         request.auth, request.user,   request.password};
        const std::lock_guard lock(m_mutex);
        m_sent.push_back(sent);
        return m_handler(sent);
    }

    std::vector<SentRequest> Sent() {
        const std::lock_guard lock(m_mutex);
        return m_sent;
    }

private:
    Handler m_handler;
    std::mutex m_mutex;
    std::vector<SentRequest> m_sent;
};

inline onvif::SoapReply Reply(long status, std::string body) {
    return {onvif::TransportResult::Ok, status, std::move(body)};
}

inline bool HasToken(const SentRequest& request) {
    return request.envelope.find("<wsse:UsernameToken>") != std::string::npos;
}
