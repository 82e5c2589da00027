// corvane-rtsp-preview-bench: figures of the ONVIF live preview, the way the
// program shows it: the preview window (offscreen, 1030 x 665 as over the
// main window) with the ONVIF link's RTSP source, its decoding worker and
// the window's painting.
//
//   corvane-rtsp-preview-bench ADDRESS PASSWORD STREAM SECONDS
//
// Logs in as admin, opens STREAM (2 main, 3 sub), lets the first two
// seconds pass (connection, first key frame), then counts for SECONDS:
// pictures painted per second; the delay from the moment the simulator
// captured a picture (its stamp: 4 rows of 32 blocks of 16 pixels in the
// top-left corner, row 0 the magic, rows 1 and 2 the capture time in
// microseconds since 1970, read back from the painted picture) to the end
// of its paint, median and 99th percentile; and the process's CPU time
// (user + system, all threads) as a share of one core.
#include "devlist/dlg_preview.h"
#include "devlist/preview_view.h"
#include "onvif/onvif_link.h"
#include "ui/dlg_tip.h"

#include "bench_figures.h"

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

namespace {

constexpr uint32_t kStampMagic = 0xA55AC33C;

int64_t RealtimeUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// The stamp of a picture scaled from sourceWidth: each block's centre.
std::optional<uint64_t> CaptureUs(const QImage& picture, int sourceWidth) {
    if (picture.isNull() || sourceWidth <= 0) {
        return std::nullopt;
    }
    const double scale = static_cast<double>(picture.width()) / sourceWidth;
    const auto row = [&](int index) {
        uint32_t value = 0;
        for (int column = 0; column < 32; ++column) {
            const int x = static_cast<int>((column * 16 + 8) * scale);
            const int y = static_cast<int>((index * 16 + 8) * scale);
            value = value << 1 | (qGray(picture.pixel(x, y)) > 128 ? 1u : 0u);
        }
        return value;
    };
    if (row(0) != kStampMagic) {
        return std::nullopt;
    }
    return uint64_t{row(1)} << 32 | row(2);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: corvane-rtsp-preview-bench ADDRESS PASSWORD STREAM SECONDS\n");
        return 2;
    }
    QApplication app(argc, argv);
    const std::string address = argv[1];
    const int stream = std::atoi(argv[3]);
    const int seconds = std::max(1, std::atoi(argv[4]));
    CDlgTip::SetAnswerer([](const TipRequest& request) {
        std::fprintf(stderr, "message: %s\n", qPrintable(request.text));
        return int(kTipOk);
    });
    onvif::OnvifLink link(onvif::CreateCurlTransport());
    DeviceEntry entry;
    entry.ip = address;
    entry.onvif.deviceServiceUrl = "http://" + address + "/onvif/device_service";
    DeviceLogin login;
    int error = 0;
    if (!link.Login(entry, "admin", argv[2], login, error)) {
        std::fprintf(stderr, "login to %s failed: %d\n", address.c_str(), error);
        return 1;
    }
    const int sourceWidth = stream == 2 ? 1920 : 640;
    CDlgPreview preview(nullptr, login.handle, QString::fromStdString(address), stream);
    preview.setGeometry(30, 20, 1030, 665);
    preview.UseLinkStream([&link, login, stream] { return link.OpenPreview(login, stream); });
    preview.Start();
    preview.show();

    bool counting = false;
    std::vector<double> delaysMs;
    uint64_t painted = 0;
    uint64_t unstamped = 0;
    preview.Video()->SetPaintObserver([&](int64_t) {
        if (!counting) {
            return;
        }
        ++painted;
        if (const std::optional<uint64_t> captured = CaptureUs(preview.Video()->Picture(), sourceWidth)) {
            delaysMs.push_back(static_cast<double>(RealtimeUs() - static_cast<int64_t>(*captured)) / 1e3);
        } else {
            ++unstamped;
        }
    });
    double cpuStart = 0;
    auto wallStart = std::chrono::steady_clock::now();
    QTimer::singleShot(2000, [&] {
        counting = true;
        cpuStart = CpuSeconds();
        wallStart = std::chrono::steady_clock::now();
    });
    QTimer::singleShot(2000 + seconds * 1000, &app, &QApplication::quit);
    app.exec();
    counting = false;
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    const double cpu = CpuSeconds() - cpuStart;
    const QSize picture = preview.Video()->Picture().size();
    preview.close();
    link.Logout(login);

    const double perSecond = static_cast<double>(painted) / wall;
    const double median = Percentile(delaysMs, 0.5);
    const double p99 = Percentile(delaysMs, 0.99);
    const double cpuShare = 100.0 * cpu / wall;
    const bool met = perSecond >= 24 && median < 100 && p99 < 250 && cpuShare < 40;
    std::printf("%s stream over RTSP, %.1f s, painted at %dx%d in a %dx%d video area\n",
                stream == 2 ? "main" : "sub", wall, picture.width(), picture.height(),
                preview.Video()->width(), preview.Video()->height());
    std::printf("  pictures painted %llu, without a readable stamp %llu\n",
                static_cast<unsigned long long>(painted), static_cast<unsigned long long>(unstamped));
    std::printf("  painted per second %6.2f  (target >= 24)\n", perSecond);
    std::printf(
        "  capture to paint   median %6.2f ms (target < 100)  p99 %6.2f ms (target < 250)  max %6.2f ms\n",
        median, p99, Percentile(delaysMs, 1.0));
    std::printf("  desktop CPU        %6.1f %% of one core (target < 40)\n", cpuShare);
    std::printf("  targets: %s\n", met ? "met" : "MISSED");
    return met ? 0 : 3;
}
