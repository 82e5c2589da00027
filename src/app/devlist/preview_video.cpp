#include "devlist/preview_video.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QMetaObject>
#include <QObject>
#include <QThreadPool>
#include <chrono>

QImage DecodePreviewPicture(const uint8_t* jpeg, std::size_t size, QSize target) {
    if (jpeg == nullptr || size == 0 || size > static_cast<std::size_t>(INT32_MAX)) {
        return {};
    }
    // The bytes are only read while the reader lives: no copy.
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(jpeg), static_cast<qsizetype>(size));
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "JPEG");
    const QSize own = reader.size();
    if (!own.isValid()) {
        return {};
    }
    if (!target.isEmpty()) {
        const QSize fitted = own.scaled(target, Qt::KeepAspectRatio);
        // Only ever smaller: the JPEG decoder then skips detail it would
        // throw away, which is most of the cost of a 1080p picture.
        if (fitted.width() < own.width() && !fitted.isEmpty()) {
            reader.setScaledSize(fitted);
        }
    }
    QImage image;
    if (!reader.read(&image)) {
        return {};
    }
    return image;
}

std::shared_ptr<PreviewVideo> PreviewVideo::Create(QObject* context, FrameHandler onFrame,
                                                   EndHandler onEnded) {
    return std::shared_ptr<PreviewVideo>(new PreviewVideo(context, std::move(onFrame), std::move(onEnded)));
}

PreviewVideo::PreviewVideo(QObject* context, FrameHandler onFrame, EndHandler onEnded)
    : m_context(context), m_onFrame(std::move(onFrame)), m_onEnded(std::move(onEnded)) {}

int64_t PreviewVideo::NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void PreviewVideo::OnFrame(const uint8_t* jpeg, std::size_t size, int /*width*/, int /*height*/) {
    const int64_t arrival = NowNs();
    bool start = false;
    {
        std::lock_guard lock(m_mutex);
        if (m_context == nullptr) {
            return;
        }
        ++m_counts.arrived;
        if (m_hasPending) {
            ++m_counts.replaced;
        }
        m_pending.assign(jpeg, jpeg + size);
        m_pendingArrivalNs = arrival;
        m_hasPending = true;
        start = !m_decoding;
        m_decoding = true;
    }
    if (start) {
        auto self = shared_from_this();
        QThreadPool::globalInstance()->start([self] { self->DecodeWhilePending(); });
    }
}

void PreviewVideo::DecodeWhilePending() {
    std::vector<uint8_t> bytes;
    for (;;) {
        int64_t arrival = 0;
        QSize target;
        {
            std::lock_guard lock(m_mutex);
            if (!m_hasPending || m_context == nullptr) {
                m_decoding = false;
                m_hasPending = false;
                return;
            }
            bytes.swap(m_pending);
            m_hasPending = false;
            arrival = m_pendingArrivalNs;
            target = m_target;
        }
        QImage image = DecodePreviewPicture(bytes.data(), bytes.size(), target);
        std::lock_guard lock(m_mutex);
        if (image.isNull()) {
            ++m_counts.undecodable;
            continue;
        }
        ++m_counts.decoded;
        if (m_context != nullptr) {
            DecodedFrame frame{std::move(image), arrival};
            auto self = shared_from_this();
            QMetaObject::invokeMethod(
                m_context, [self, frame = std::move(frame)] { self->m_onFrame(frame); },
                Qt::QueuedConnection);
        }
    }
}

void PreviewVideo::OnStreamEnded() {
    std::lock_guard lock(m_mutex);
    if (m_context != nullptr && m_onEnded) {
        auto self = shared_from_this();
        QMetaObject::invokeMethod(
            m_context, [self] { self->m_onEnded(); }, Qt::QueuedConnection);
    }
}

void PreviewVideo::SetTargetSize(QSize size) {
    std::lock_guard lock(m_mutex);
    m_target = size;
}

void PreviewVideo::Detach() {
    std::lock_guard lock(m_mutex);
    m_context = nullptr;
    m_pending.clear();
    m_hasPending = false;
}

PreviewVideoCounts PreviewVideo::Counts() const {
    std::lock_guard lock(m_mutex);
    return m_counts;
}

void PreviewVideo::Post(std::function<void()> call) {
    std::lock_guard lock(m_mutex);
    if (m_context != nullptr) {
        QMetaObject::invokeMethod(m_context, std::move(call), Qt::QueuedConnection);
    }
}
