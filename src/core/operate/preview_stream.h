#pragma once
// A live preview that a device family streams itself (decoded on a worker
// of its own), as the device link opens it. The worker hands over only the
// newest picture: a picture not yet taken is replaced by a newer one, so
// the delay never builds up whatever the reader's pace.
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// One decoded picture: 32-bit pixels 0xffRRGGBB in native byte order, rows
// of width * 4 bytes.
struct VideoFrame {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
    int64_t decodedNs = 0; // steady clock, when the decoder gave it
    uint64_t number = 0;   // counts the stream's pictures from 1
};

// The single slot between the decoding worker and the reader.
class FrameSlot {
public:
    // Keeps frame, replacing a picture not yet taken (frame gets the
    // replaced one's buffer back). True when the slot was empty: the reader
    // is to be told once, and is not told again until it took the picture.
    bool Put(VideoFrame& frame);
    std::optional<VideoFrame> Take();
    uint64_t Replaced() const;

private:
    mutable std::mutex m_mutex;
    VideoFrame m_frame;
    bool m_full = false;
    uint64_t m_replaced = 0;
};

// Why a preview stream ended.
enum class StreamEnd : uint8_t {
    Closed,           // the reader stopped it
    WrongPassword,    // the device refused the credentials (RTSP 401)
    Unreachable,      // no connection to the device
    UnsupportedCodec, // video this program cannot decode
    Stopped,          // the device stopped sending (no picture for a while, or the end)
    NoStream,         // the device names no stream to watch
    Failed,
};

// The language key shown for an end ("" for Closed).
const char* StreamEndKey(StreamEnd end);

// Told by the worker, on its thread.
class PreviewObserver {
public:
    virtual ~PreviewObserver() = default;
    // A picture waits in the slot (once until it has been taken).
    virtual void OnPictureReady() = 0;
    // The stream ended (not told for Closed); nothing follows.
    virtual void OnEnded(StreamEnd end) = 0;
};

class PreviewStream {
public:
    // Stops the worker and waits for it: call it off the user-interface
    // thread or after Stop (the worker then ends within milliseconds).
    virtual ~PreviewStream() = default;
    // Starts the worker, which tells observer until the stream ends or is
    // stopped; observer outlives the stream.
    virtual void Start(PreviewObserver& observer) = 0;
    // Ends the stream at once: every wait on the network is interrupted and
    // the observer is not told anything more. Any thread.
    virtual void Stop() = 0;
    // Pictures are scaled to fit this size, aspect kept (0: their own size).
    virtual void SetTargetSize(int width, int height) = 0;
    virtual FrameSlot& Frames() = 0;
};
