#include "operate/preview_stream.h"

#include <utility>

bool FrameSlot::Put(VideoFrame& frame) {
    std::lock_guard lock(m_mutex);
    const bool wasEmpty = !m_full;
    if (m_full) {
        ++m_replaced;
    }
    std::swap(m_frame, frame);
    m_full = true;
    return wasEmpty;
}

std::optional<VideoFrame> FrameSlot::Take() {
    std::lock_guard lock(m_mutex);
    if (!m_full) {
        return std::nullopt;
    }
    m_full = false;
    return std::move(m_frame);
}

uint64_t FrameSlot::Replaced() const {
    std::lock_guard lock(m_mutex);
    return m_replaced;
}

const char* StreamEndKey(StreamEnd end) {
    switch (end) {
    case StreamEnd::Closed:
        return "";
    case StreamEnd::WrongPassword:
        return "info.Preview_auth_fail";
    case StreamEnd::Unreachable:
        return "info.Preview_unreachable";
    case StreamEnd::UnsupportedCodec:
        return "info.Preview_codec";
    case StreamEnd::Stopped:
        return "info.Preview_stopped";
    case StreamEnd::NoStream:
    case StreamEnd::Failed:
        break;
    }
    return "info.Preview_open_fail";
}
