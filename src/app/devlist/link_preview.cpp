#include "devlist/link_preview.h"

#include <QMetaObject>
#include <QThreadPool>
#include <mutex>

// Told by the stream's worker; posts to the preview while it is attached.
struct LinkPreviewBridge : PreviewObserver {
    std::mutex mutex;
    LinkPreview* owner = nullptr;
    std::function<void()> onPicture;
    std::function<void(StreamEnd)> onEnded;

    void Post(std::function<void()> call) {
        std::lock_guard lock(mutex);
        if (owner != nullptr) {
            QMetaObject::invokeMethod(owner, std::move(call), Qt::QueuedConnection);
        }
    }
    void Detach() {
        std::lock_guard lock(mutex);
        owner = nullptr;
    }
    // The calls carry copies: the bridge may be gone when they run.
    void OnPictureReady() override { Post(onPicture); }
    void OnEnded(StreamEnd end) override {
        Post([call = onEnded, end] { call(end); });
    }
};

LinkPreview::LinkPreview(QObject* parent, Opener open) : QObject(parent), m_open(std::move(open)) {}

LinkPreview::~LinkPreview() {
    Close();
}

QImage LinkPreview::ImageOf(VideoFrame frame) {
    if (frame.width <= 0 || frame.height <= 0 ||
        frame.pixels.size() <
            static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height) * 4) {
        return {};
    }
    auto* pixels = new std::vector<uint8_t>(std::move(frame.pixels));
    return QImage(
        pixels->data(), frame.width, frame.height, frame.width * 4, QImage::Format_RGB32,
        [](void* data) { delete static_cast<std::vector<uint8_t>*>(data); }, pixels);
}

void LinkPreview::Open() {
    Close();
    std::unique_ptr<PreviewStream> stream = m_open ? m_open() : nullptr;
    if (!stream) {
        emit Ended(QString::fromUtf8(StreamEndKey(StreamEnd::NoStream)));
        return;
    }
    m_stream = std::move(stream);
    m_bridge = std::make_shared<LinkPreviewBridge>();
    m_bridge->owner = this;
    // Both run on this object's thread, while it is attached.
    m_bridge->onPicture = [this] { TakePicture(); };
    m_bridge->onEnded = [this](StreamEnd end) {
        Close();
        emit Ended(QString::fromUtf8(StreamEndKey(end)));
    };
    m_stream->SetTargetSize(m_target.width(), m_target.height());
    m_stream->Start(*m_bridge);
}

void LinkPreview::Close() {
    if (!m_stream) {
        return;
    }
    m_bridge->Detach();
    m_stream->Stop();
    // The worker ends within milliseconds of the stop, or once the device
    // answers the address lookup it may be in: a pool thread waits for it.
    QThreadPool::globalInstance()->start(
        [stream = std::move(m_stream), bridge = std::move(m_bridge)]() mutable {
            stream.reset();
            bridge.reset();
        });
}

void LinkPreview::SetTargetSize(QSize size) {
    m_target = size;
    if (m_stream) {
        m_stream->SetTargetSize(size.width(), size.height());
    }
}

void LinkPreview::TakePicture() {
    if (!m_stream) {
        return;
    }
    std::optional<VideoFrame> frame = m_stream->Frames().Take();
    if (!frame) {
        return;
    }
    const qint64 decodedNs = frame->decodedNs;
    const QImage image = ImageOf(std::move(*frame));
    if (!image.isNull()) {
        emit PictureReady(image, decodedNs);
    }
}
