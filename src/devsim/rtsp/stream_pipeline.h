#pragma once
// The media behind one stream of a simulated device: a moving test picture
// (colour bars sliding sideways, the device's name, stream and a running
// frame counter at the bottom, the frame stamp of frame_stamp.h at the top
// left) encoded live at 25 frames a second with a key frame every second:
// x264enc (zerolatency, ultrafast) or x265enc, packed for RTP.
#include "onvif/media_streams.h"

#include <atomic>
#include <gst/rtsp-server/rtsp-server.h>
#include <string>

namespace rtspsim {

// What a stream's media is set up with; lives as long as the factory.
struct StreamLabel {
    std::string device;                   // the device's name, in the picture and the log
    std::string token;                    // "main" or "sub"
    int stopAfterMs = 0;                  // > 0: no frame leaves after this long
    std::atomic<int>* encoding = nullptr; // counts the pipelines encoding now
};

// The launch text of a GstRTSPMediaFactory for the stream.
std::string StreamLaunch(const onvifsim::MediaStream& stream);
// Sets up a new media of the stream (its "media-configure"): the frame
// counter, the stamp, the stop, and the count and log of encoding pipelines.
void ConfigureMedia(GstRTSPMedia* media, const StreamLabel& label);

// Asks the media's encoder for a key frame (with its parameter sets) now.
void RequestKeyFrame(GstRTSPMedia* media);

// One JPEG picture of the stream's test picture; empty on failure.
std::string SnapshotJpeg(const std::string& deviceName, const onvifsim::MediaStream& stream);

} // namespace rtspsim
