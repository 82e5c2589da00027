#pragma once
// One logged-in connection to a device: the handshake, then requests and
// their replies, and the device's events (upgrade progress, preview
// pictures), read by a reader thread of the session.
#include "sdk/tcp_link.h"
#include "sdk/wire_frame.h"
#include "sdk/wire_messages.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class SdkFrameSink;

namespace sdkclient {

struct Timeouts {
    int connectMs = 3000;
    int handshakeMs = 5000;
    int requestMs = 5000;
    int keepAliveMs = 20000;
};

// SDK_Login error codes the client finds itself, beyond the device's
// login codes 1 to 7 (docs/device-protocol.md, section 6).
constexpr int kErrorTimeout = 3;
constexpr int kErrorCannotConnect = 9;
constexpr int kErrorOther = 11;
constexpr int kErrorConnectionFull = 12; // the device has no free session
constexpr int kErrorOldProtocol = 13;    // the device speaks only version 1
constexpr int kErrorUserTooLong = 14;    // the user name is over 95 bytes
constexpr int kErrorKeyCost = 15;        // the device's key cost is out of range
constexpr int kErrorNoVersion = 16;      // no protocol version both speak

struct LoginParameters {
    std::string ip;
    uint16_t port = 0;
    std::string user;
    std::string password;
    std::string customer;
};

struct LoginOutcome {
    int error = 0;               // the SDK_Login error code
    bool connectionFull = false; // the device had no free session
    std::string detail;          // why, in words, for logs and the command line
};

class ClientSession {
public:
    ~ClientSession();
    ClientSession(const ClientSession&) = delete;
    ClientSession& operator=(const ClientSession&) = delete;

    // Connects and logs in; nothing on failure, and outcome says why.
    static std::shared_ptr<ClientSession> Login(const LoginParameters& parameters, const Timeouts& timeouts,
                                                LoginOutcome& outcome);

    // Sends a request and waits for its reply; nothing when the session is
    // closed or the time-out passed (timeoutMs <= 0: the default).
    std::optional<sdkwire::Reply> Call(uint16_t type, std::span<const uint8_t> body, int timeoutMs = 0);
    // The two halves of Call, for requests kept in flight: Post sends a
    // request whose body is the concatenation of parts and gives its id
    // (nothing when it could not be sent: the session is then closed);
    // Await waits for the reply of a posted id. A request posted is awaited
    // once, or its reply is kept until the session ends. Neither allocates
    // while no more requests are open than ever before.
    std::optional<uint32_t> Post(uint16_t type, std::span<const std::span<const uint8_t>> body);
    std::optional<sdkwire::Reply> Await(uint32_t requestId, int timeoutMs = 0);
    // A posted request whose reply nobody will await: it is dropped on arrival.
    void Drop(uint32_t requestId);
    // The most requests that were open at once on this session.
    std::size_t MostOpenRequests() const;
    // Frees the buffer frames are sealed into: after a firmware transfer it
    // is as large as a chunk, and a session may stay open long after.
    void ReleaseSendBuffer();

    using UpgradeListener = std::function<void(int total, int value)>;
    // One listener at a time (one upgrade per session); also told (0, -2)
    // when the connection is lost while it is set.
    void SetUpgradeListener(UpgradeListener listener);
    void AddPreviewSink(uint32_t streamId, SdkFrameSink* sink);
    void RemovePreviewSink(uint32_t streamId);

    bool Open() const;
    // Logs out politely when still open, then closes; idempotent.
    void Close(bool sendLogout);

    // What the handshake agreed on, for MODIFY_USER of version 3.
    struct Agreement {
        uint8_t version = 0;
        sdkwire::Salt salt{};
        uint32_t iterations = 0;
        sdkwire::Digest transcriptHash{};
    };
    const Agreement& Agreed() const { return m_agreement; }

private:
    ClientSession(std::unique_ptr<sdknet::TcpLink> link, sdkwire::FrameCodec codec, const Timeouts& timeouts,
                  const Agreement& agreement);
    void ReadLoop();
    void Dispatch(const sdkwire::Frame& frame);
    void MarkClosed();
    bool SendFrame(uint16_t type, std::span<const std::span<const uint8_t>> parts);

    std::unique_ptr<sdknet::TcpLink> m_link;
    Timeouts m_timeouts;
    Agreement m_agreement;

    std::mutex m_sendMutex; // orders sequence numbers with the bytes on the wire
    sdkwire::FrameCodec m_codec;
    sdkwire::Bytes m_sendBuffer; // every frame is sealed into it (under m_sendMutex)

    mutable std::mutex m_mutex;
    std::condition_variable m_replyArrived;
    bool m_closed = false;
    uint32_t m_nextRequestId = 1;
    struct Pending {
        uint32_t id = 0;
        uint16_t type = 0; // of the request: the reply must carry type | 0x8000
        std::optional<sdkwire::Reply> reply;
    };
    // Few requests are open at once: a vector whose room is kept, searched
    // by id, allocates nothing per request.
    std::vector<Pending> m_pending;
    std::size_t m_mostOpen = 0;
    std::vector<Pending>::iterator FindPendingLocked(uint32_t id);
    UpgradeListener m_upgradeListener;
    std::map<uint32_t, SdkFrameSink*> m_previewSinks;
    // Held while a listener or sink runs, so that removing one waits for a
    // running call; recursive so a callback may remove itself.
    std::recursive_mutex m_callbackMutex;
    int64_t m_lastSendMs = 0;

    std::thread m_reader;
};

} // namespace sdkclient
