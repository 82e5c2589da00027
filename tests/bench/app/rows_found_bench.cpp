// The devices answer from a simulator on a thread of this process, on
// loopback ports of its own; run it inside a network namespace
// (tests/bench/app/run_bench.sh does). Search timing as shipped: two
// 3-second phases.
#include "rows_found_bench.h"

#include "devlist/dlg_dev_info.h"
#include "population.h"
#include "session/device_session.h"
#include "session/onvif_family.h"
#include "udp_server.h"
#include "ui/color_list_ctrl.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

constexpr uint16_t kDevicePort = 27000;
constexpr uint16_t kReplyPort = 27001;
constexpr uint16_t kSendPort = 27003;

struct RunFigures {
    double firstRowMs = -1;
    double allRowsMs = -1;
    double endMs = -1;
    int rows = 0;
};

RunFigures OneSearch(DeviceSession& session, CDlgDevInfo& page, int devices) {
    RunFigures figures;
    QElapsedTimer clock;
    // Connected after the page: when this runs, the page has its rows.
    const auto onAdded = QObject::connect(&session, &DeviceSession::DevicesAdded, &page, [&] {
        page.List()->viewport()->repaint();
        const int rows = page.List()->GetItemCount();
        const double now = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        if (rows >= 1 && figures.firstRowMs < 0) {
            figures.firstRowMs = now;
        }
        if (rows >= devices && figures.allRowsMs < 0) {
            figures.allRowsMs = now;
        }
    });
    bool done = false;
    const auto onDone = QObject::connect(&session, &DeviceSession::SearchFinished, &page, [&] {
        figures.endMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        done = true;
    });
    clock.start();
    session.StartSearch(false);
    while (!done) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    QObject::disconnect(onAdded);
    QObject::disconnect(onDone);
    figures.rows = page.List()->GetItemCount();
    return figures;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

int MeasureSearches(DeviceSession& session, int devices, int runs, const char* name) {
    CDlgDevInfo page(nullptr, session, QFont(), false, 0xFFFFFFFFu);
    page.resize(1030, 640);
    page.show();

    std::vector<double> first;
    std::vector<double> all;
    std::vector<double> end;
    for (int run = 0; run < runs; ++run) {
        const RunFigures figures = OneSearch(session, page, devices);
        std::printf("%s run %d: first row %.1f ms, %d rows at %.1f ms, search end %.1f ms (%d rows)\n", name,
                    run + 1, figures.firstRowMs, devices, figures.allRowsMs, figures.endMs, figures.rows);
        first.push_back(figures.firstRowMs);
        all.push_back(figures.allRowsMs);
        end.push_back(figures.endMs);
    }
    std::printf("%s %d devices, median of %d: first row %.1f ms (target under 200 ms), "
                "all rows %.1f ms, search end %.1f ms\n",
                name, devices, runs, Median(first), Median(all), Median(end));
    return 0;
}

} // namespace

int RowsFoundBench(int argc, char** argv, int devices, int runs) {
    QApplication application(argc, argv);
    UdpResponder responder(GeneratePopulation(devices, 3));
    UdpServerOptions serverOptions;
    serverOptions.listenPort = kDevicePort;
    serverOptions.replyTo = {net::kLoopbackAddress, kReplyPort};
    UdpServer server(responder, serverOptions);
    if (!server.Open()) {
        return 1;
    }
    std::atomic<bool> stop{false};
    std::thread serving([&] { server.Run(stop); });

    DeviceSession session;
    DiscoveryEndpoints endpoints;
    endpoints.destination = {net::kLoopbackAddress, kDevicePort};
    endpoints.sendPort = kSendPort;
    endpoints.receivePort = kReplyPort;
    session.SetSearchOptions(endpoints, SearchTiming{}, "");
    const int result = MeasureSearches(session, devices, runs, "rows-found");
    stop = true;
    serving.join();
    return result;
}

int RowsFoundLabBench(int argc, char** argv, int devices, int runs) {
    QApplication application(argc, argv);
    DeviceSession session;
    session.SetSearchOptions(DiscoveryEndpoints{}, SearchTiming{}, "");
    AddOnvifFamily(session);
    return MeasureSearches(session, devices, runs, "rows-found-lab (both families)");
}
