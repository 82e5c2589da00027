// corvane-preview-bench: figures of the live preview, the way the program
// shows it: the preview window (offscreen, 1030 x 665 as over the main
// window) with the real SDK, its decoding worker and its painting.
//
//   corvane-preview-bench ADDRESS PORT PASSWORD STREAM SECONDS
//
// Logs in as admin, opens the preview of STREAM (2 main, 3 sub), lets the
// first second pass (the simulator encodes its picture cycle once), then
// counts for SECONDS: pictures painted per second, the delay from a
// picture's arrival at the sink to the end of its paint (median and 99th
// percentile), and the process's CPU time (user + system, all threads) as a
// share of one core. Run it inside the device lab (run_preview_bench.sh).
#include "devlist/dlg_preview.h"
#include "devlist/preview_video.h"
#include "devlist/preview_view.h"
#include "sdk/sdk.h"
#include "ui/dlg_tip.h"

#include "bench_figures.h"

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: corvane-preview-bench ADDRESS PORT PASSWORD STREAM SECONDS\n");
        return 2;
    }
    QApplication app(argc, argv);
    const int port = std::atoi(argv[2]);
    const int stream = std::atoi(argv[4]);
    const int seconds = std::max(1, std::atoi(argv[5]));
    CDlgTip::SetAnswerer([](const TipRequest& request) {
        std::fprintf(stderr, "message: %s\n", qPrintable(request.text));
        return int(kTipOk);
    });
    SDK_Init(nullptr, nullptr);
    unsigned char info[48] = {};
    int error = 0;
    const int login = SDK_Login(argv[1], port, "admin", argv[3], info, &error, 0, 0);
    if (login <= 0) {
        std::fprintf(stderr, "login to %s:%d failed: %d\n", argv[1], port, error);
        return 1;
    }
    CDlgPreview preview(nullptr, login, QString::fromUtf8(argv[1]), stream);
    preview.setGeometry(30, 20, 1030, 665);
    preview.Start();
    preview.show();

    bool counting = false;
    std::vector<double> delaysMs;
    preview.Video()->SetPaintObserver([&](int64_t arrivalNs) {
        if (counting) {
            delaysMs.push_back(static_cast<double>(PreviewVideo::NowNs() - arrivalNs) / 1e6);
        }
    });
    double cpuStart = 0;
    int64_t wallStart = 0;
    PreviewVideoCounts countsStart;
    QTimer::singleShot(1000, [&] {
        counting = true;
        cpuStart = CpuSeconds();
        wallStart = PreviewVideo::NowNs();
        countsStart = preview.VideoPath()->Counts();
    });
    QTimer::singleShot(1000 + seconds * 1000, &app, &QApplication::quit);
    app.exec();
    counting = false;
    const double wall = static_cast<double>(PreviewVideo::NowNs() - wallStart) / 1e9;
    const double cpu = CpuSeconds() - cpuStart;
    const PreviewVideoCounts counts = preview.VideoPath()->Counts();
    const QSize picture = preview.Video()->Picture().size();
    preview.close();
    SDK_Logout(login);

    const double painted = static_cast<double>(delaysMs.size()) / wall;
    const double median = Percentile(delaysMs, 0.5);
    const double p99 = Percentile(delaysMs, 0.99);
    const double cpuShare = 100.0 * cpu / wall;
    const bool met = painted >= 24 && median < 60 && p99 < 120 && cpuShare < 40;
    std::printf("%s stream, %.1f s, decoded at %dx%d for a %dx%d video area\n", stream == 2 ? "main" : "sub",
                wall, picture.width(), picture.height(), preview.Video()->width(), preview.Video()->height());
    std::printf("  pictures arrived %llu, decoded %llu, replaced before decoding %llu, undecodable %llu\n",
                static_cast<unsigned long long>(counts.arrived - countsStart.arrived),
                static_cast<unsigned long long>(counts.decoded - countsStart.decoded),
                static_cast<unsigned long long>(counts.replaced - countsStart.replaced),
                static_cast<unsigned long long>(counts.undecodable - countsStart.undecodable));
    std::printf("  painted per second %6.2f  (target >= 24)\n", painted);
    std::printf(
        "  arrival to paint   median %6.2f ms (target < 60)  p99 %6.2f ms (target < 120)  max %6.2f ms\n",
        median, p99, Percentile(delaysMs, 1.0));
    std::printf("  desktop CPU        %6.1f %% of one core (target < 40)\n", cpuShare);
    std::printf("  targets: %s\n", met ? "met" : "MISSED");
    return met ? 0 : 3;
}
