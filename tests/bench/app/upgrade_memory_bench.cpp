// Figures, not a test: the desktop program's resident memory across upgrade
// batches. The batch page (real SDK) upgrades every simulated device of the
// lab, BATCHES times in one process, and the resident memory is printed after
// each batch; a leak shows as growth that goes on, while the allocator's
// first rounds settle within the first batches. At the end, what stays
// beyond the level before the first batch.
//
//   run_upgrade_memory.sh (runs it in the device lab)
//   upgrade_memory_bench DEVICES FIRMWARE BATCHES
#include "operate/dlg_operate.h"
#include "platform/memory.h"
#include "sdk/sdk.h"
#include "session/device_session.h"
#include "ui/dlg_tip.h"
#include "ui/lang_text.h"
#include "ui/tree_ctrl.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

class AnsweringPrompt : public ILoginPrompt {
public:
    bool AskCredentials(const LoginPromptRequest&, std::string& user, std::string& password) override {
        user = "admin";
        password = "bench";
        return true;
    }
};

// A line of /proc/self/status in KiB: VmRSS (everything resident) or
// RssAnon (the heaps and stacks, without the program's and libraries' pages
// read from their files).
long StatusKib(const char* key) {
    std::ifstream status("/proc/self/status");
    const std::string prefix = std::string(key) + ":";
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(prefix, 0) == 0) {
            return std::strtol(line.c_str() + prefix.size(), nullptr, 10);
        }
    }
    return -1;
}

long ResidentKib() {
    return StatusKib("VmRSS");
}

bool Pump(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return done();
}

} // namespace

int main(int argc, char** argv) {
    KeepLargeBlocksSeparate(); // as the program does at its start
    ShareAllocatorHeaps();
    QApplication application(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: upgrade_memory_bench DEVICES FIRMWARE BATCHES\n");
        return 2;
    }
    const int devices = std::atoi(argv[1]);
    const std::string firmware = argv[2];
    const int batches = std::atoi(argv[3]);

    // The lab's devices, as a search would have found them.
    DeviceSession session;
    for (int i = 1; i <= devices; ++i) {
        DeviceEntry entry;
        char mac[32];
        std::snprintf(mac, sizeof mac, "02-C6-00-00-%02X-%02X", (i / 256) & 0xFF, i % 256);
        entry.mac = mac;
        entry.ip = "10.77.16." + std::to_string(i);
        entry.tcpPort = 34567;
        entry.webPort = 80;
        entry.model = "IPC-SIM";
        entry.operations = NativeOperations(0);
        session.Devices()[entry.mac] = entry;
    }
    AnsweringPrompt prompt;
    CDlgOperate page(nullptr, session, prompt, OperatePageOptions{});
    page.resize(1030, 640);
    page.show();
    emit session.SearchFinished(0);
    int completions = 0;
    CDlgTip::SetAnswerer([&completions](const TipRequest&) {
        ++completions;
        return int(kTipOk);
    });

    // The window as the user sees it before a batch: painted once (its
    // backing store is allocated by the first paint).
    Pump([] { return false; }, 500);
    std::vector<long> resident;
    const long residentBefore = ResidentKib();
    const long anonymousBefore = StatusKib("RssAnon");
    std::printf("batch  succeeded  resident MiB  of it anonymous\n");
    std::printf("%5d  %9s  %12.1f  %15.1f\n", 0, "-", static_cast<double>(residentBefore) / 1024.0,
                static_cast<double>(anonymousBefore) / 1024.0);
    for (int batch = 1; batch <= batches; ++batch) {
        page.Tree()->topLevelItem(0)->setCheckState(0, Qt::Checked);
        const int before = completions;
        BatchRequest request;
        request.operation = BatchOperation::Upgrade;
        request.path = firmware;
        page.RunBatch(request);
        if (!Pump([&] { return completions > before && !session.IsOperationRunning(); }, 300000)) {
            std::fprintf(stderr, "batch %d did not end\n", batch);
            return 1;
        }
        int succeeded = 0;
        QTreeWidgetItem* root = page.Tree()->topLevelItem(0);
        for (int i = 0; i < root->childCount(); ++i) {
            succeeded += root->child(i)->text(0).endsWith(LangText("tx.success")) ? 1 : 0;
        }
        // The devices restart with the new image before the next batch.
        Pump([] { return false; }, 2500);
        resident.push_back(ResidentKib());
        std::printf("%5d  %9d  %12.1f  %15.1f\n", batch, succeeded,
                    static_cast<double>(resident.back()) / 1024.0,
                    static_cast<double>(StatusKib("RssAnon")) / 1024.0);
        std::fflush(stdout);
    }
    if (resident.size() >= 20) {
        const double growth = static_cast<double>(resident[19] - resident[4]) / 1024.0;
        std::printf("batch 20 - batch 5: %+.1f MiB (target: within 5 MiB: %s)\n", growth,
                    growth <= 5.0 ? "met" : "MISSED");
    }
    // What stays beyond the level before the first batch: the anonymous
    // part is memory the batches kept; the rest is library code read from
    // its file on first use (the SDK's cipher and hash code), shared and
    // given back by the system whenever it needs the room.
    std::printf("last batch - before the first: %+.1f MiB, of it anonymous %+.1f MiB\n",
                static_cast<double>(ResidentKib() - residentBefore) / 1024.0,
                static_cast<double>(StatusKib("RssAnon") - anonymousBefore) / 1024.0);
    CDlgTip::SetAnswerer({});
    return 0;
}
