#pragma once
// TCP stream sockets for the device protocol, on both sides: a connected
// link (connect with a time-out, send everything, receive with a time-out)
// and a listener. Only the POSIX side exists for now.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>

namespace sdknet {

class TcpLink {
public:
    explicit TcpLink(int fd);
    ~TcpLink();
    TcpLink(const TcpLink&) = delete;
    TcpLink& operator=(const TcpLink&) = delete;

    // Nothing when the address is invalid, refused or the time-out passes.
    static std::unique_ptr<TcpLink> Connect(const std::string& ip, uint16_t port, int timeoutMs);

    // Sends every byte or fails; safe from several threads (whole buffers
    // never interleave). A peer that stops reading fails the send after
    // the send time-out.
    bool SendAll(std::span<const uint8_t> bytes);
    // > 0: bytes received; 0: time-out; < 0: closed or failed.
    int Receive(std::span<uint8_t> buffer, int timeoutMs);
    // Wakes a blocked Receive and makes further sends fail; the socket stays
    // open until the link is destroyed so no other thread reuses its number.
    void Shutdown();

private:
    int m_fd;
    std::mutex m_sendMutex;
};

class TcpListener {
public:
    ~TcpListener();
    TcpListener(const TcpListener&) = delete;
    TcpListener& operator=(const TcpListener&) = delete;

    static std::unique_ptr<TcpListener> Listen(const std::string& ip, uint16_t port);
    // A new connection, or nothing after timeoutMs (or once shut down).
    std::unique_ptr<TcpLink> Accept(int timeoutMs);
    void Shutdown();

private:
    explicit TcpListener(int fd) : m_fd(fd) {}
    int m_fd;
};

} // namespace sdknet
