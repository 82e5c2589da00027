// The preview streams of a simulated device's session: the pictures of
// every started stream at the device's rate, with the faults of its lab.
#include "devsim/sdk/sim_device.h"
#include "devsim/sdk/sim_session.h"
#include "devsim/sdk/test_picture.h"
#include "sdk/sdk_layout.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <string>

namespace devsim {

using namespace sdkwire;

namespace {

// Keeps the JPEG start (SOI and a marker's lead byte, which the client
// checks) and scrambles the rest, so that no decoder can read the picture.
Bytes CorruptPicture(const Bytes& jpeg, uint32_t frameNumber) {
    Bytes corrupt = jpeg;
    for (std::size_t i = 3; i < corrupt.size(); ++i) {
        corrupt[i] = static_cast<uint8_t>(corrupt[i] ^ (0xA5 + i * 7 + frameNumber));
    }
    return corrupt;
}

} // namespace

void SimSession::PreviewLoop() {
    const int fps = std::max(1, m_device.Settings().previewFps);
    const auto period = std::chrono::microseconds(1000000 / fps);
    uint32_t frameNumber = 0;
    std::map<uint32_t, uint32_t> sentPerStream;
    auto next = std::chrono::steady_clock::now();
    while (!m_closed) {
        std::map<uint32_t, int> streams;
        {
            std::unique_lock lock(m_mutex);
            if (m_streams.empty()) {
                m_wake.wait(lock, [this] { return m_closed || !m_streams.empty(); });
                next = std::chrono::steady_clock::now();
            }
            streams = m_streams;
        }
        const SimSdkFaults faults = m_device.Faults();
        for (const auto& [streamId, stream] : streams) {
            uint32_t& sent = sentPerStream[streamId];
            if (m_closed) {
                break;
            }
            if (faults.stallPreviewAfter >= 0 && sent >= static_cast<uint32_t>(faults.stallPreviewAfter)) {
                continue; // the connection stays up; this stream's pictures stop
            }
            ++sent;
            PreviewFrame frame;
            frame.streamId = streamId;
            frame.frameNumber = frameNumber;
            const bool main = stream == sdklayout::kMainStream;
            frame.width = static_cast<uint16_t>(main ? kMainWidth : kSubWidth);
            frame.height = static_cast<uint16_t>(main ? kMainHeight : kSubHeight);
            const auto jpeg = CycleJpeg(m_device.Settings().name, stream, frameNumber);
            if (faults.badPictures) {
                const std::string text = "<html>not a picture</html>";
                frame.jpeg.assign(text.begin(), text.end());
            } else if (faults.corruptPictureEvery > 0 &&
                       frameNumber % static_cast<uint32_t>(faults.corruptPictureEvery) == 0) {
                frame.jpeg = CorruptPicture(*jpeg, frameNumber);
            } else {
                frame.jpeg = *jpeg;
            }
            Send(kPreviewFrameEvent, EncodePreviewFrame(frame));
            m_device.CountPreviewPicture();
        }
        ++frameNumber;
        // A fixed schedule, so the rate holds however long a send took; a
        // sender that fell behind by more than a period skips ahead.
        next += period;
        const auto now = std::chrono::steady_clock::now();
        if (next < now - period) {
            next = now;
        }
        std::unique_lock lock(m_mutex);
        m_wake.wait_until(lock, next, [this] { return m_closed.load(); });
    }
}

} // namespace devsim
