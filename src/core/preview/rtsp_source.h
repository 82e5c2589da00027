#pragma once
// A live preview from an RTSP stream, decoded with FFmpeg on a worker of
// its own: RTP interleaved in the RTSP connection (TCP), no input
// buffering, no stream probing beyond the session description, slice
// threads (frame threads would hold pictures back), every picture scaled
// to the reader's size and put into the frame slot, replacing one not yet
// taken.
//
// The worker first asks for the stream's address (that waits on the
// device), then connects. An interrupt callback ends every wait of FFmpeg's
// on the network when the stream is stopped, when the connection takes too
// long and when no picture came for a while, so Stop ends the worker
// within milliseconds.
#include "operate/preview_stream.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace preview {

// What the worker connects to: the address with the credentials in it
// (rtsp_url.h), or why there is none.
struct StreamAddress {
    std::string url;                       // wiped by the destructor
    StreamEnd failure = StreamEnd::Closed; // Closed: url is the address

    ~StreamAddress();
};

// Runs on the worker; stopped() turns true when the stream is stopped.
using AddressFinder = std::function<StreamAddress(const std::function<bool()>& stopped)>;

struct RtspOptions {
    int connectTimeoutMs = 5000; // connecting and the session's set-up
    int stallTimeoutMs = 5000;   // no picture for this long: the stream stopped
};

class RtspSource : public PreviewStream {
public:
    explicit RtspSource(AddressFinder findAddress, RtspOptions options = {});
    ~RtspSource() override;

    void Start(PreviewObserver& observer) override;
    void Stop() override;
    void SetTargetSize(int width, int height) override;
    FrameSlot& Frames() override { return m_frames; }

    // The interrupt callback's test, for FFmpeg.
    bool Interrupted() const;

private:
    struct Session;
    void Run();
    StreamEnd Play(const std::string& url);
    void Arm(int timeoutMs);

    AddressFinder m_findAddress;
    RtspOptions m_options;
    PreviewObserver* m_observer = nullptr;
    FrameSlot m_frames;
    std::atomic<bool> m_stop{false};
    std::atomic<int64_t> m_deadlineNs{0}; // steady clock: the wait's end
    std::atomic<int64_t> m_goodbyeNs{0};  // steady clock: the closing's end; 0 before
    mutable std::atomic<bool> m_timedOut{false};
    std::atomic<int> m_targetWidth{0};
    std::atomic<int> m_targetHeight{0};
    std::thread m_worker;
};

// The steady clock in nanoseconds.
int64_t SteadyNs();

} // namespace preview
