// Runs in the device lab (scripts/lab, preview.lab): the ONVIF link's live
// preview against the simulator's RTSP streams. Each picture carries the
// simulator's stamp (its frame number and capture time in blocks in the
// top-left corner), read back here from the decoded pixels.
#include "onvif/onvif_link.h"
#include "preview/rtsp_source.h"
#include "preview/rtsp_url.h"
#include "sdk/sdk_layout.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <mutex>
#include <optional>
#include <thread>
#include <unistd.h>

using namespace onvif;

namespace {

constexpr uint32_t kStampMagic = 0xA55AC33C;

struct Stamp {
    uint64_t captureUs = 0;
    uint32_t frame = 0;
};

// The 32 blocks of 16 pixels of one row of the stamp, white 1, black 0.
uint32_t StampRow(const VideoFrame& picture, int row) {
    uint32_t value = 0;
    for (int column = 0; column < 32; ++column) {
        const std::size_t at =
            (static_cast<std::size_t>(row * 16 + 8) * static_cast<std::size_t>(picture.width) + column * 16 +
             8) *
            4;
        const int grey = (picture.pixels[at] + picture.pixels[at + 1] + picture.pixels[at + 2]) / 3;
        value = value << 1 | (grey > 128 ? 1u : 0u);
    }
    return value;
}

std::optional<Stamp> ReadStamp(const VideoFrame& picture) {
    if (picture.width < 512 || picture.height < 64 || StampRow(picture, 0) != kStampMagic) {
        return std::nullopt;
    }
    return Stamp{uint64_t{StampRow(picture, 1)} << 32 | StampRow(picture, 2), StampRow(picture, 3)};
}

// Takes every picture the stream gives, on its worker.
class Watcher : public PreviewObserver {
public:
    explicit Watcher(PreviewStream& stream) : m_stream(stream) {}

    void OnPictureReady() override {
        std::optional<VideoFrame> picture = m_stream.Frames().Take();
        std::lock_guard lock(m_mutex);
        if (picture) {
            m_width = picture->width;
            m_height = picture->height;
            if (const std::optional<Stamp> stamp = ReadStamp(*picture)) {
                m_stamps.push_back(*stamp);
            }
            ++m_pictures;
        }
        m_changed.notify_all();
    }
    void OnEnded(StreamEnd end) override {
        std::lock_guard lock(m_mutex);
        m_end = end;
        m_changed.notify_all();
    }
    // True when at least count stamped pictures came within seconds.
    bool WaitStamps(std::size_t count, int seconds) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(seconds), [&] {
            return m_stamps.size() >= count || m_end;
        }) && m_stamps.size() >= count;
    }
    std::optional<StreamEnd> WaitEnd(int seconds) {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, std::chrono::seconds(seconds), [&] { return m_end.has_value(); });
        return m_end;
    }
    std::vector<Stamp> Stamps() {
        std::lock_guard lock(m_mutex);
        return m_stamps;
    }
    std::pair<int, int> Size() {
        std::lock_guard lock(m_mutex);
        return {m_width, m_height};
    }

private:
    PreviewStream& m_stream;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Stamp> m_stamps;
    uint64_t m_pictures = 0;
    int m_width = 0;
    int m_height = 0;
    std::optional<StreamEnd> m_end;
};

class PreviewLab : public ::testing::Test {
protected:
    DeviceLogin Login(const std::string& address, const std::string& password) {
        DeviceEntry entry;
        entry.ip = address;
        entry.onvif.deviceServiceUrl = "http://" + address + "/onvif/device_service";
        DeviceLogin login;
        int error = 0;
        EXPECT_TRUE(m_link.Login(entry, "admin", password, login, error)) << address << " error " << error;
        return login;
    }

    // The stream's pictures advance: stamped, numbered upwards, captured later.
    static void ExpectMoving(Watcher& watcher, int width, int height) {
        ASSERT_TRUE(watcher.WaitStamps(10, 20));
        EXPECT_EQ(watcher.Size(), std::make_pair(width, height));
        const std::vector<Stamp> stamps = watcher.Stamps();
        for (std::size_t i = 1; i < stamps.size(); ++i) {
            EXPECT_GT(stamps[i].frame, stamps[i - 1].frame);
            EXPECT_GT(stamps[i].captureUs, stamps[i - 1].captureUs);
        }
    }

    static int LogLines(const std::string& text) {
        const char* path = std::getenv("CORVANE_LAB_LOG");
        std::ifstream log(path != nullptr ? path : "");
        int count = 0;
        for (std::string line; std::getline(log, line);) {
            count += line.find(text) != std::string::npos ? 1 : 0;
        }
        return count;
    }

    OnvifLink m_link{CreateCurlTransport()};
};

TEST_F(PreviewLab, MainAndSubStreamsShowMovingPicturesAndH265Plays) {
    const DeviceLogin gate = Login("10.77.16.161", "gate-pass");
    for (const auto& [stream, width, height] :
         {std::tuple{sdklayout::kMainStream, 1920, 1080}, std::tuple{sdklayout::kSubStream, 640, 360}}) {
        std::unique_ptr<PreviewStream> preview = m_link.OpenPreview(gate, stream);
        ASSERT_TRUE(preview);
        Watcher watcher(*preview);
        preview->Start(watcher);
        ExpectMoving(watcher, width, height);
    }
    const DeviceLogin dock = Login("10.77.16.162", "dock-pass");
    std::unique_ptr<PreviewStream> h265 = m_link.OpenPreview(dock, sdklayout::kMainStream);
    Watcher watcher(*h265);
    h265->Start(watcher);
    ExpectMoving(watcher, 1920, 1080);
}

TEST_F(PreviewLab, AWrongPasswordIsRefusedAndAStoppedStreamSaysSo) {
    preview::RtspSource refused([](const std::function<bool()>&) {
        preview::StreamAddress address;
        address.url = preview::WithCredentials("rtsp://10.77.16.161:554/main", "admin", "not:the@pass");
        return address;
    });
    Watcher refusal(refused);
    refused.Start(refusal);
    EXPECT_EQ(refusal.WaitEnd(20), StreamEnd::WrongPassword);

    // Media1 only; the pictures stop after a second while the connection stays.
    const DeviceLogin silo = Login("10.77.16.163", "silo-pass");
    std::unique_ptr<PreviewStream> stopping = m_link.OpenPreview(silo, sdklayout::kMainStream);
    Watcher watcher(*stopping);
    stopping->Start(watcher);
    EXPECT_TRUE(watcher.WaitStamps(5, 20));
    EXPECT_EQ(watcher.WaitEnd(20), StreamEnd::Stopped);
}

TEST_F(PreviewLab, ClosingEndsTheStreamAtTheSimulatorWithinASecond) {
    const DeviceLogin gate = Login("10.77.16.161", "gate-pass");
    const int stoppedBefore = LogLines("rtsp gate main: encoding stopped");
    {
        std::unique_ptr<PreviewStream> preview = m_link.OpenPreview(gate, sdklayout::kMainStream);
        Watcher watcher(*preview);
        preview->Start(watcher);
        ASSERT_TRUE(watcher.WaitStamps(3, 20));
        preview->Stop();
        preview.reset(); // the worker is joined
    }
    const auto closed = std::chrono::steady_clock::now();
    while (LogLines("rtsp gate main: encoding stopped") == stoppedBefore &&
           std::chrono::steady_clock::now() - closed < std::chrono::seconds(1)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(LogLines("rtsp gate main: encoding stopped"), stoppedBefore + 1);
}

TEST_F(PreviewLab, CommandLineSnapshotWritesAJpeg) {
    const char* bin = std::getenv("CORVANE_BIN_DIR");
    ASSERT_NE(bin, nullptr);
    const std::string out =
        std::filesystem::temp_directory_path() / ("snapshot-" + std::to_string(getpid()) + ".jpg");
    const std::string command = std::string(bin) +
                                "/corvane-cli snapshot --ip 10.77.16.163 --password silo-pass" +
                                " --stream sub --out " + out + " --phase-ms 400 >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0);
    std::ifstream file(out, std::ios::binary);
    char head[3] = {};
    file.read(head, 3);
    EXPECT_EQ(std::string(head, 3), "\xFF\xD8\xFF");
    std::filesystem::remove(out);
}

} // namespace
