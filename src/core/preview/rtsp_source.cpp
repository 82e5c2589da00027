#include "preview/rtsp_source.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <string_view>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}

namespace preview {
namespace {

constexpr int kTeardownMs = 200; // the goodbye to the device on closing

int Interrupt(void* source) {
    return static_cast<const RtspSource*>(source)->Interrupted() ? 1 : 0;
}

void Wipe(std::string& secret) {
    volatile char* bytes = secret.data();
    for (std::size_t i = 0; i < secret.size(); ++i) {
        bytes[i] = 0;
    }
    secret.clear();
}

StreamEnd OpenFailure(int error, bool timedOut) {
    if (error == AVERROR_HTTP_UNAUTHORIZED || error == AVERROR_HTTP_FORBIDDEN) {
        return StreamEnd::WrongPassword;
    }
    if (timedOut || error == AVERROR(ECONNREFUSED) || error == AVERROR(EHOSTUNREACH) ||
        error == AVERROR(ENETUNREACH) || error == AVERROR(ETIMEDOUT) || error == AVERROR(EHOSTDOWN) ||
        error == AVERROR(ECONNRESET)) {
        return StreamEnd::Unreachable;
    }
    if (error == AVERROR_DECODER_NOT_FOUND || error == AVERROR_PATCHWELCOME) {
        return StreamEnd::UnsupportedCodec;
    }
    return StreamEnd::Failed;
}

// The picture's size fitted into the target, aspect kept; never larger
// than the picture (the window scales the rare small stream up).
void Fit(int width, int height, int targetWidth, int targetHeight, int& outWidth, int& outHeight) {
    outWidth = width;
    outHeight = height;
    if (targetWidth <= 0 || targetHeight <= 0 || (width <= targetWidth && height <= targetHeight)) {
        return;
    }
    if (static_cast<int64_t>(width) * targetHeight > static_cast<int64_t>(targetWidth) * height) {
        outWidth = targetWidth;
        outHeight = static_cast<int>(static_cast<int64_t>(height) * targetWidth / width);
    } else {
        outHeight = targetHeight;
        outWidth = static_cast<int>(static_cast<int64_t>(width) * targetHeight / height);
    }
    outWidth = std::max(outWidth, 1);
    outHeight = std::max(outHeight, 1);
}

} // namespace

int64_t SteadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

StreamAddress::~StreamAddress() {
    Wipe(url);
}

// FFmpeg's objects of one connection.
struct RtspSource::Session {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    SwsContext* scaler = nullptr;
    int video = -1;

    ~Session() {
        sws_freeContext(scaler);
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&codec);
        avformat_close_input(&format);
    }
};

RtspSource::RtspSource(AddressFinder findAddress, RtspOptions options)
    : m_findAddress(std::move(findAddress)), m_options(options) {}

RtspSource::~RtspSource() {
    Stop();
    if (m_worker.joinable()) {
        m_worker.join();
    }
}

void RtspSource::Start(PreviewObserver& observer) {
    if (m_worker.joinable()) {
        return;
    }
    // FFmpeg's messages would name the address, credentials and all.
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });
    m_observer = &observer;
    m_worker = std::thread([this] { Run(); });
}

void RtspSource::Stop() {
    m_stop = true;
}

void RtspSource::SetTargetSize(int width, int height) {
    m_targetWidth = width;
    m_targetHeight = height;
}

bool RtspSource::Interrupted() const {
    const int64_t now = SteadyNs();
    // Closing: the goodbye may take its short while, stopped or not.
    if (const int64_t goodbye = m_goodbyeNs.load(); goodbye != 0) {
        return now > goodbye;
    }
    if (m_stop.load()) {
        return true;
    }
    const int64_t deadline = m_deadlineNs.load();
    if (deadline != 0 && now > deadline) {
        m_timedOut = true;
        return true;
    }
    return false;
}

void RtspSource::Arm(int timeoutMs) {
    m_deadlineNs = SteadyNs() + int64_t{timeoutMs} * 1000000;
}

void RtspSource::Run() {
    StreamEnd end = StreamEnd::Closed;
    {
        StreamAddress address = m_findAddress([this] { return m_stop.load(); });
        end = address.failure;
        if (end == StreamEnd::Closed && address.url.empty()) {
            end = StreamEnd::NoStream;
        }
        if (end == StreamEnd::Closed && !m_stop) {
            end = Play(address.url);
        }
    }
    if (!m_stop && end != StreamEnd::Closed) {
        m_observer->OnEnded(end);
    }
}

StreamEnd RtspSource::Play(const std::string& url) {
    Session session;
    if (session.packet == nullptr || session.frame == nullptr) {
        return StreamEnd::Failed;
    }
    session.format = avformat_alloc_context();
    if (session.format == nullptr) {
        return StreamEnd::Failed;
    }
    session.format->interrupt_callback = {Interrupt, this};
    session.format->flags |= AVFMT_FLAG_NOBUFFER;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "rtsp_transport", "tcp", 0);
    av_dict_set(&options, "fflags", "nobuffer", 0);
    av_dict_set(&options, "flags", "low_delay", 0);
    av_dict_set(&options, "probesize", "32768", 0);
    av_dict_set(&options, "analyzeduration", "0", 0);
    av_dict_set(&options, "max_delay", "0", 0);
    av_dict_set(&options, "reorder_queue_size", "0", 0);
    av_dict_set_int(&options, "timeout", int64_t{m_options.connectTimeoutMs} * 1000, 0);
    Arm(m_options.connectTimeoutMs);
    // The session description names the codec and usually carries its
    // parameter sets: no probing of the stream itself.
    int result = avformat_open_input(&session.format, url.c_str(), nullptr, &options);
    av_dict_free(&options);
    if (result < 0) {
        session.format = nullptr; // freed by the failed open
        return m_stop ? StreamEnd::Closed : OpenFailure(result, m_timedOut);
    }
    // A failure from here on leaves the device a goodbye, briefly.
    struct Goodbye {
        RtspSource* source;
        ~Goodbye() { source->m_goodbyeNs = SteadyNs() + int64_t{kTeardownMs} * 1000000; }
    } goodbye{this};
    session.video = av_find_best_stream(session.format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (session.video < 0) {
        return StreamEnd::UnsupportedCodec;
    }
    const AVCodecParameters* parameters = session.format->streams[session.video]->codecpar;
    const AVCodec* decoder = avcodec_find_decoder(parameters->codec_id);
    session.codec = decoder != nullptr ? avcodec_alloc_context3(decoder) : nullptr;
    if (session.codec == nullptr || avcodec_parameters_to_context(session.codec, parameters) < 0) {
        return StreamEnd::UnsupportedCodec;
    }
    session.codec->flags |= AV_CODEC_FLAG_LOW_DELAY;
    session.codec->thread_type = FF_THREAD_SLICE;
    session.codec->thread_count = 0;
    if (avcodec_open2(session.codec, decoder, nullptr) < 0) {
        return StreamEnd::UnsupportedCodec;
    }
    VideoFrame picture;
    uint64_t number = 0;
    Arm(m_options.stallTimeoutMs);
    while (!m_stop) {
        result = av_read_frame(session.format, session.packet);
        if (result < 0) {
            return m_stop ? StreamEnd::Closed : StreamEnd::Stopped;
        }
        if (session.packet->stream_index != session.video) {
            av_packet_unref(session.packet);
            continue;
        }
        result = avcodec_send_packet(session.codec, session.packet);
        av_packet_unref(session.packet);
        if (result < 0 && result != AVERROR(EAGAIN)) {
            continue; // a damaged packet: the next key frame repairs it
        }
        while (avcodec_receive_frame(session.codec, session.frame) == 0) {
            const AVFrame* frame = session.frame;
            int width = 0;
            int height = 0;
            Fit(frame->width, frame->height, m_targetWidth, m_targetHeight, width, height);
            session.scaler = sws_getCachedContext(session.scaler, frame->width, frame->height,
                                                  static_cast<AVPixelFormat>(frame->format), width, height,
                                                  AV_PIX_FMT_RGB32, SWS_BILINEAR, nullptr, nullptr, nullptr);
            if (session.scaler == nullptr) {
                av_frame_unref(session.frame);
                return StreamEnd::UnsupportedCodec;
            }
            picture.width = width;
            picture.height = height;
            picture.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
            uint8_t* planes[4] = {picture.pixels.data(), nullptr, nullptr, nullptr};
            const int strides[4] = {width * 4, 0, 0, 0};
            sws_scale(session.scaler, frame->data, frame->linesize, 0, frame->height, planes, strides);
            picture.decodedNs = SteadyNs();
            picture.number = ++number;
            av_frame_unref(session.frame);
            Arm(m_options.stallTimeoutMs);
            if (m_frames.Put(picture) && !m_stop) {
                m_observer->OnPictureReady();
            }
        }
    }
    return StreamEnd::Closed;
}

} // namespace preview
