#include "rtsp/stream_pipeline.h"

#include "rtsp/frame_stamp.h"

#include <cstdio>
#include <gst/app/gstappsink.h>
#include <gst/video/video.h>
#include <memory>

namespace rtspsim {

namespace {

// One media's frames, on its streaming thread.
struct FrameProbe {
    std::string title; // "DEVICE main"
    int stopAfterMs = 0;
    uint32_t frame = 0;
    int64_t firstUs = -1;
    bool stopped = false;
    GstElement* counter = nullptr; // the textoverlay, owned by the pipeline
    GstVideoInfo info{};
    bool haveInfo = false;
};

GstPadProbeReturn OnFrame(GstPad* pad, GstPadProbeInfo* info, gpointer data) {
    auto* probe = static_cast<FrameProbe*>(data);
    const int64_t nowUs = g_get_real_time();
    if (probe->firstUs < 0) {
        probe->firstUs = nowUs;
    }
    if (probe->stopAfterMs > 0 && nowUs - probe->firstUs > int64_t{probe->stopAfterMs} * 1000) {
        if (!probe->stopped) {
            probe->stopped = true;
            std::fprintf(stderr, "corvane-devsim: rtsp %s: stream stops sending\n", probe->title.c_str());
        }
        return GST_PAD_PROBE_DROP;
    }
    if (!probe->haveInfo) {
        GstCaps* caps = gst_pad_get_current_caps(pad);
        probe->haveInfo = caps != nullptr && gst_video_info_from_caps(&probe->info, caps);
        if (caps != nullptr) {
            gst_caps_unref(caps);
        }
    }
    const uint32_t frame = probe->frame++;
    char text[160];
    std::snprintf(text, sizeof text, "%s  frame %u", probe->title.c_str(), frame);
    g_object_set(probe->counter, "text", text, nullptr);
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    if (!gst_buffer_is_writable(buffer) || !gst_buffer_is_all_memory_writable(buffer)) {
        // A buffer another holder still reads is copied before it is written.
        GstBuffer* copy = gst_buffer_copy_deep(buffer);
        gst_buffer_unref(buffer);
        buffer = copy;
        GST_PAD_PROBE_INFO_DATA(info) = buffer;
    }
    GstVideoFrame video;
    if (probe->haveInfo && gst_video_frame_map(&video, &probe->info, buffer, GST_MAP_WRITE)) {
        WriteFrameStamp({static_cast<uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&video, 0)),
                         GST_VIDEO_FRAME_PLANE_STRIDE(&video, 0),
                         static_cast<uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&video, 1)),
                         static_cast<uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&video, 2)),
                         GST_VIDEO_FRAME_PLANE_STRIDE(&video, 1), GST_VIDEO_FRAME_WIDTH(&video),
                         GST_VIDEO_FRAME_HEIGHT(&video)},
                        {static_cast<uint64_t>(nowUs), frame});
        gst_video_frame_unmap(&video);
    }
    return GST_PAD_PROBE_OK;
}

// Whether one media is encoding, for the count and the log.
struct EncodingWatch {
    std::string title;
    std::atomic<int>* encoding = nullptr;
    bool on = false;
};

void OnPrepared(GstRTSPMedia*, gpointer data) {
    auto* watch = static_cast<EncodingWatch*>(data);
    if (!watch->on) {
        watch->on = true;
        watch->encoding->fetch_add(1);
        std::fprintf(stderr, "corvane-devsim: rtsp %s: encoding\n", watch->title.c_str());
    }
}

void OnUnprepared(GstRTSPMedia*, gpointer data) {
    auto* watch = static_cast<EncodingWatch*>(data);
    if (watch->on) {
        watch->on = false;
        watch->encoding->fetch_sub(1);
        std::fprintf(stderr, "corvane-devsim: rtsp %s: encoding stopped\n", watch->title.c_str());
    }
}

void FreeWatch(gpointer data, GClosure*) {
    OnUnprepared(nullptr, data);
    delete static_cast<EncodingWatch*>(data);
}

} // namespace

// One slice a frame (a single encoder thread: the simulator's many streams
// share few cores anyway), handed over with its NAL lengths (avc, hvc1) so
// that the payloader sends each frame at once instead of waiting for the
// next start code; the payloader repeats the parameter sets before every
// key frame, for clients that join a running stream.
std::string StreamLaunch(const onvifsim::MediaStream& stream) {
    const std::string size =
        "width=" + std::to_string(stream.width) + ",height=" + std::to_string(stream.height);
    const std::string common =
        " tune=zerolatency speed-preset=ultrafast key-int-max=" + std::to_string(onvifsim::kGovLength) +
        " bitrate=" + std::to_string(stream.bitrateKbps);
    const std::string encoder =
        stream.h265
            ? "x265enc" + common +
                  " ! video/x-h265,profile=main ! h265parse ! video/x-h265,stream-format=hvc1,alignment=au"
                  " ! rtph265pay"
            : "x264enc threads=1" + common +
                  " ! video/x-h264,profile=constrained-baseline,stream-format=avc,alignment=au ! h264parse ! "
                  "rtph264pay";
    const int font = stream.height >= 720 ? 28 : 12;
    return "( videotestsrc is-live=true pattern=smpte horizontal-speed=4 ! video/x-raw,format=I420," + size +
           ",framerate=" + std::to_string(onvifsim::kStreamFps) +
           "/1 ! textoverlay name=counter valignment=bottom halignment=left shaded-background=true "
           "font-desc=\"Sans " +
           std::to_string(font) + "\" ! " + encoder + " name=pay0 pt=96 config-interval=-1 )";
}

void ConfigureMedia(GstRTSPMedia* media, const StreamLabel& label) {
    const std::string title = label.device + " " + label.token;
    GstElement* bin = gst_rtsp_media_get_element(media);
    GstElement* counter = gst_bin_get_by_name(GST_BIN(bin), "counter");
    if (counter != nullptr) {
        GstPad* pad = gst_element_get_static_pad(counter, "video_sink");
        auto* probe = new FrameProbe{title, label.stopAfterMs};
        probe->counter = counter;
        gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, OnFrame, probe,
                          [](gpointer data) { delete static_cast<FrameProbe*>(data); });
        gst_object_unref(pad);
        gst_object_unref(counter); // the pipeline keeps it as long as the probe
    }
    gst_object_unref(bin);
    auto* watch = new EncodingWatch{title, label.encoding};
    g_signal_connect_data(media, "prepared", G_CALLBACK(OnPrepared), watch, nullptr, GConnectFlags{});
    g_signal_connect_data(media, "unprepared", G_CALLBACK(OnUnprepared), watch, FreeWatch, GConnectFlags{});
}

void RequestKeyFrame(GstRTSPMedia* media) {
    GstElement* bin = gst_rtsp_media_get_element(media);
    if (GstElement* payloader = gst_bin_get_by_name(GST_BIN(bin), "pay0")) {
        gst_element_send_event(payloader,
                               gst_video_event_new_upstream_force_key_unit(GST_CLOCK_TIME_NONE, TRUE, 0));
        gst_object_unref(payloader);
    }
    gst_object_unref(bin);
}

std::string SnapshotJpeg(const std::string& deviceName, const onvifsim::MediaStream& stream) {
    const std::string launch =
        "videotestsrc num-buffers=1 pattern=smpte ! video/x-raw,format=I420,width=" +
        std::to_string(stream.width) + ",height=" + std::to_string(stream.height) +
        " ! textoverlay name=counter valignment=bottom halignment=left shaded-background=true"
        " ! jpegenc quality=80 ! appsink name=sink sync=false";
    GError* error = nullptr;
    std::unique_ptr<GstElement, void (*)(GstElement*)> pipeline(gst_parse_launch(launch.c_str(), &error),
                                                                [](GstElement* p) {
                                                                    gst_element_set_state(p, GST_STATE_NULL);
                                                                    gst_object_unref(p);
                                                                });
    if (error != nullptr) {
        g_error_free(error);
    }
    if (!pipeline) {
        return {};
    }
    GstElement* counter = gst_bin_get_by_name(GST_BIN(pipeline.get()), "counter");
    GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline.get()), "sink");
    std::string out;
    if (counter != nullptr && sink != nullptr) {
        g_object_set(counter, "text", (deviceName + " " + stream.token + "  snapshot").c_str(), nullptr);
        gst_element_set_state(pipeline.get(), GST_STATE_PLAYING);
        if (GstSample* sample = gst_app_sink_try_pull_sample(GST_APP_SINK(sink), 5 * GST_SECOND)) {
            GstMapInfo map;
            GstBuffer* buffer = gst_sample_get_buffer(sample);
            if (buffer != nullptr && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
                out.assign(reinterpret_cast<const char*>(map.data), map.size);
                gst_buffer_unmap(buffer, &map);
            }
            gst_sample_unref(sample);
        }
    }
    for (GstElement* element : {counter, sink}) {
        if (element != nullptr) {
            gst_object_unref(element);
        }
    }
    return out;
}

} // namespace rtspsim
