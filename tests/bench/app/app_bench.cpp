// corvane-app-bench: figures for the desktop program.
//
//   corvane-app-bench startup RUNS         start-up to the first search, RUNS fresh processes
//   corvane-app-bench rebuild DEVICES RUNS the device list rebuilt from DEVICES devices
//   corvane-app-bench capacity ROWS RUNS   the capacity results after a check-box change
//   corvane-app-bench rows-found DEVICES RUNS  first and last row of a search on screen
//   corvane-app-bench rows-found-lab DEVICES RUNS  the same, both families, in scripts/lab
//
// startup: each run starts a fresh process (this program again) that does
// what the program's main does (application, style, main window, its
// initialisation, show) and reports the moment the first search begins,
// measured from just before the process was started, so loading the
// program and its libraries is counted. Run it inside a network namespace
// (tests/bench/app/run_bench.sh does): the search broadcasts.
//
// rebuild: the end of a search on the device list page (rows built from the
// device table, the list model reset, the visible rows painted), then a sort
// and a FIND over the same rows.
#include "app/corvane_dlg.h"
#include "capacity_bench.h"
#include "devlist/dlg_dev_info.h"
#include "platform/paths.h"
#include "qr_click_bench.h"
#include "rows_found_bench.h"
#include "session/device_session.h"
#include "ui/app_style.h"
#include "ui/color_list_ctrl.h"
#include "ui/skin_button.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

int64_t MonotonicNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void PrintFigures(const char* what, std::vector<double> ms, double limitMs) {
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    std::printf("%-44s runs %3zu  min %8.2f ms  median %8.2f ms  max %8.2f ms  (target < %.0f ms: %s)\n",
                what, ms.size(), ms.front(), median, ms.back(), limitMs,
                ms.back() < limitMs ? "met" : "MISSED");
}

// The child of a start-up run: the program's own start-up, then the time of
// the first search start on stdout.
int StartupChild(int argc, char** argv, int64_t startedNs) {
    QApplication application(argc, argv);
    QApplication::setStyle(new CorvaneStyle(QApplication::style()->name()));
    MainWindowOptions options;
    options.programFolder = GetProgramFolder();
    CCorvaneDlg window(options);
    QObject::connect(&window.Session(), &DeviceSession::SearchStarted, [startedNs] {
        std::printf("%lld\n", static_cast<long long>(MonotonicNs() - startedNs));
        std::fflush(stdout);
        // The search itself is not measured: leave without waiting for it.
        ::_exit(0);
    });
    window.OnInitDialog();
    window.show();
    return application.exec();
}

int Startup(int runs, const char* self) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QProcess child;
        const int64_t started = MonotonicNs();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("CORVANE_BENCH_STARTED_NS", QString::number(started));
        child.setProcessEnvironment(environment);
        child.start(QString::fromLocal8Bit(self), {"startup-child"});
        if (!child.waitForFinished(20000)) {
            std::fprintf(stderr, "start-up run %d did not finish\n", i);
            return 1;
        }
        const QByteArray out = child.readAllStandardOutput().trimmed();
        bool ok = false;
        const qlonglong ns = out.toLongLong(&ok);
        if (!ok) {
            std::fprintf(stderr, "start-up run %d printed \"%s\"; stderr: %s\n", i, out.constData(),
                         child.readAllStandardError().constData());
            return 1;
        }
        ms.push_back(static_cast<double>(ns) / 1e6);
    }
    PrintFigures("start-up to the first search", ms, 1000);
    return 0;
}

DeviceTable MakeDevices(int count) {
    DeviceTable devices;
    for (int i = 0; i < count; ++i) {
        DeviceEntry entry;
        char mac[18];
        std::snprintf(mac, sizeof mac, "02-C7-8A-%02X-%02X-%02X", (i >> 16) & 0xFF, (i >> 8) & 0xFF,
                      i & 0xFF);
        entry.mac = mac;
        entry.ip = "10.77." + std::to_string(16 + i / 250) + "." + std::to_string(1 + i % 250);
        entry.webPort = static_cast<uint16_t>(i % 3 == 0 ? 8000 + i % 100 : 80);
        entry.tcpPort = static_cast<uint16_t>(30000 + (i * 7919) % 5000);
        entry.onvifAvailable = i % 6 != 0;
        entry.onvifPort = entry.onvifAvailable ? entry.webPort : 0;
        entry.type = i % 2 == 0 ? "IPC" : "NVR";
        entry.model = "HV-IPC-B21F";
        entry.cloudId = std::to_string(1000000007ULL * static_cast<unsigned>(i + 1));
        entry.version = "V5.2." + std::to_string(i % 20) + " build 20261101";
        entry.deviceTime = "2026-12-07 23:00:00";
        entry.startTime = "2026-12-07 08:00:00";
        entry.releaseTime = "2026-11-01 10:00:00";
        devices[entry.mac] = entry;
    }
    return devices;
}

int Rebuild(int argc, char** argv, int count, int runs) {
    QApplication application(argc, argv);
    DeviceSession session;
    session.Devices() = MakeDevices(count);
    CDlgDevInfo page(nullptr, session, QFont(), false, 0x3FFF);
    page.resize(1030, 640);
    page.show();
    QApplication::processEvents();
    std::vector<double> rebuild;
    std::vector<double> sort;
    std::vector<double> find;
    for (int i = 0; i < runs; ++i) {
        page.OnSearchStart();
        QApplication::processEvents();
        QElapsedTimer clock;
        clock.start();
        page.OnSearchEnd();
        page.List()->viewport()->repaint();
        rebuild.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        if (page.List()->GetItemCount() != count) {
            std::fprintf(stderr, "the list holds %d rows, not %d\n", page.List()->GetItemCount(), count);
            return 1;
        }
        clock.restart();
        page.SortByColumn(1);
        page.List()->viewport()->repaint();
        sort.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        page.findChild<QLineEdit*>("findEdit")->setText("80");
        clock.restart();
        page.Find();
        page.List()->viewport()->repaint();
        find.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    const std::string label = "list rebuild, " + std::to_string(count) + " devices";
    PrintFigures(label.c_str(), rebuild, 200);
    PrintFigures("sort by IP address", sort, 200);
    PrintFigures("FIND \"80\"", find, 200);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "startup-child") {
        const char* started = std::getenv("CORVANE_BENCH_STARTED_NS");
        return StartupChild(argc, argv, started != nullptr ? std::atoll(started) : MonotonicNs());
    }
    if (mode == "startup" && argc == 3) {
        QCoreApplication application(argc, argv);
        return Startup(std::max(1, std::atoi(argv[2])), argv[0]);
    }
    if (mode == "rebuild" && argc == 4) {
        return Rebuild(argc, argv, std::max(1, std::atoi(argv[2])), std::max(1, std::atoi(argv[3])));
    }
    if (mode == "capacity" && argc == 4) {
        return CapacityBench(argc, argv, std::max(1, std::atoi(argv[2])), std::max(1, std::atoi(argv[3])));
    }
    if (mode == "rows-found" && argc == 4) {
        return RowsFoundBench(argc, argv, std::max(1, std::atoi(argv[2])), std::max(1, std::atoi(argv[3])));
    }
    if (mode == "rows-found-lab" && argc == 4) {
        return RowsFoundLabBench(argc, argv, std::max(1, std::atoi(argv[2])),
                                 std::max(1, std::atoi(argv[3])));
    }
    if (mode == "qr-click" && argc == 3) {
        return QrClickBench(argc, argv, std::max(1, std::atoi(argv[2])));
    }
    std::fprintf(stderr,
                 "usage: corvane-app-bench startup RUNS | rebuild DEVICES RUNS | capacity ROWS RUNS | "
                 "qr-click RUNS | rows-found DEVICES RUNS | rows-found-lab DEVICES RUNS\n");
    return 2;
}
