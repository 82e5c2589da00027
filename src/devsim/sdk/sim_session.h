#pragma once
// One client connection to a simulated device: the handshake, then the
// requests of docs/device-protocol.md, the preview stream and the firmware
// upgrade of that session.
#include "sdk/config_file.h"
#include "sdk/tcp_link.h"
#include "sdk/wire_frame.h"
#include "sdk/wire_messages.h"

#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace devsim {

class SimSdkDevice;

class SimSession : public std::enable_shared_from_this<SimSession> {
public:
    SimSession(SimSdkDevice& device, std::unique_ptr<sdknet::TcpLink> link);
    ~SimSession();
    void Start();
    // Ends the connection; the session's threads run out on their own.
    void Close();
    void Join();
    bool Finished() const { return m_finished; }

private:
    void Run();
    bool Handshake();
    bool Receive(sdkwire::Frame& frame, int timeoutMs);
    bool Send(uint16_t type, std::span<const uint8_t> payload);
    bool SendParts(uint16_t type, std::span<const std::span<const uint8_t>> parts);
    bool Reply(uint16_t type, uint32_t requestId, int32_t result, std::span<const uint8_t> body = {});
    // false: the session ends after this request.
    bool Handle(const sdkwire::Frame& frame);
    int HandleUpgradeData(sdkwire::ByteReader& in);
    void FinishUpgrade();
    void WriteFirmware(std::optional<sdkwire::FirmwareHeader> firmware, std::size_t size);
    void PreviewLoop();
    bool SleepUnlessClosed(int ms);

    SimSdkDevice& m_device;
    std::unique_ptr<sdknet::TcpLink> m_link;
    std::mutex m_sendMutex;
    sdkwire::FrameCodec m_codec{sdkwire::Role::Device};
    sdkwire::Bytes m_sendBuffer; // every frame is sealed into it (under m_sendMutex)
    bool m_admitted = false;
    sdkwire::Digest m_transcriptHash{}; // of the handshake, for MODIFY_USER of version 3
    std::string m_user;                 // logged in as

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::atomic<bool> m_closed{false};
    std::atomic<bool> m_finished{false};
    std::map<uint32_t, int> m_streams; // stream id -> stream (2 main, 3 sub)
    uint32_t m_nextStreamId = 1;

    bool m_upgradeOpen = false;
    bool m_upgradeOwned = false;
    std::atomic<bool> m_upgradeRefused{
        false}; // the image was refused (-2): the device is no longer upgrading
    uint32_t m_upgradeSize = 0;
    // What arrived of the image: its header and a running checksum, not
    // the image itself (a device writes it to flash as it comes).
    std::optional<sdkwire::FirmwareReceiver> m_upgradeReceived;

    std::thread m_thread;
    std::thread m_previewThread;
    std::thread m_upgradeThread;
};

} // namespace devsim
