#pragma once
// The video path of the preview: a frame sink that takes the JPEG pictures
// on the SDK's thread, decodes them on a worker, one at a time, and hands
// the newest decoded picture to the window on the window's thread.
//
// A picture that arrives while one is being decoded waits in a single slot;
// a newer one replaces it. So the window always gets the newest picture and
// the delay never builds up, whatever the stream's rate. Bytes that do not
// decode are dropped and counted; the pictures after them go on.
#include "sdk/sdk.h"

#include <QImage>
#include <QSize>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class QObject;

struct DecodedFrame {
    QImage image;
    int64_t arrivalNs = 0; // steady clock, when the SDK handed the bytes over
};

struct PreviewVideoCounts {
    uint64_t arrived = 0;
    uint64_t decoded = 0;
    uint64_t undecodable = 0;
    uint64_t replaced = 0; // waited, then a newer one came first
};

class PreviewVideo : public SdkFrameSink, public std::enable_shared_from_this<PreviewVideo> {
public:
    using FrameHandler = std::function<void(const DecodedFrame&)>;
    using EndHandler = std::function<void()>;

    // The handlers run on context's thread (queued), never after Detach.
    static std::shared_ptr<PreviewVideo> Create(QObject* context, FrameHandler onFrame, EndHandler onEnded);

    void OnFrame(const uint8_t* jpeg, std::size_t size, int width, int height) override;
    void OnStreamEnded() override;

    // Pictures are decoded straight to this size, aspect ratio kept (an
    // empty size: their own size). Any thread.
    void SetTargetSize(QSize size);
    // No handler runs after this returns; decoding in progress finishes
    // and is thrown away. Call it before the context goes.
    void Detach();
    PreviewVideoCounts Counts() const;
    // Runs call on the context's thread (queued) unless detached first. Any thread.
    void Post(std::function<void()> call);

    static int64_t NowNs();

private:
    PreviewVideo(QObject* context, FrameHandler onFrame, EndHandler onEnded);
    void DecodeWhilePending();

    mutable std::mutex m_mutex;
    QObject* m_context; // null after Detach
    FrameHandler m_onFrame;
    EndHandler m_onEnded;
    std::vector<uint8_t> m_pending;
    int64_t m_pendingArrivalNs = 0;
    bool m_hasPending = false;
    bool m_decoding = false;
    QSize m_target;
    PreviewVideoCounts m_counts;
};

// Decodes one JPEG picture, scaled to fit target (aspect kept) when target
// is not empty. A null image when the bytes are no readable picture.
QImage DecodePreviewPicture(const uint8_t* jpeg, std::size_t size, QSize target);
