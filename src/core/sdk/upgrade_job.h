#pragma once
// One firmware upgrade over a session: waits for a transfer slot (reporting
// total = image size, value = 0 every few seconds meanwhile), sends the
// shared image in chunks sealed straight from it, several in flight where
// the device's protocol version allows (value = bytes the device took),
// frees the slot, then relays the device's progress until a final (0, -1)
// success or (0, -2) failure.
// After Close() the callback is never called again.
#include "sdk/byte_codec.h"
#include "sdk/sdk.h"

#include <memory>
#include <mutex>
#include <thread>

namespace sdkclient {

class ClientSession;

class UpgradeJob : public std::enable_shared_from_this<UpgradeJob> {
public:
    UpgradeJob(std::shared_ptr<ClientSession> session, std::shared_ptr<const sdkwire::Bytes> firmware,
               SdkUpgradeCallback callback, void* context);
    ~UpgradeJob();
    bool Start();
    void Close();

private:
    void Transfer();
    bool SendImage();
    bool Closed();
    void Report(int total, int value);

    std::shared_ptr<ClientSession> m_session;
    std::shared_ptr<const sdkwire::Bytes> m_firmware;
    SdkUpgradeCallback m_callback;
    void* m_context;

    std::mutex m_mutex;
    bool m_started = false;
    bool m_closed = false;
    bool m_finished = false;
    std::thread m_thread;
};

} // namespace sdkclient
