// Figures, not a test: how long the window thread stalls while the batch
// page runs batches over 200 devices whose SDK answers at once (the SDK
// table replaced, no sockets), and how many tree updates reach the window
// compared with the reports the engine makes.
//
//   QT_QPA_PLATFORM=offscreen <build>/bin/operate_ui_bench
#include "operate/dlg_operate.h"
#include "session/device_session.h"
#include "ui/dlg_tip.h"
#include "ui/tree_ctrl.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

namespace {

constexpr int kDevices = 200;

class AnsweringPrompt : public ILoginPrompt {
public:
    bool AskCredentials(const LoginPromptRequest&, std::string& user, std::string& password) override {
        user = "admin";
        password = "pw";
        return true;
    }
};

struct FakeDevices {
    std::mutex mutex;
    std::vector<std::pair<SdkUpgradeCallback, void*>> upgrades;
    std::atomic<int> reports{0};
    SdkCalls calls;

    FakeDevices() {
        calls.login = [](const char*, int, const char*, const char*, unsigned char*, int* error, int, int) {
            *error = 0;
            return 1;
        };
        calls.logout = [](int) { return 1; };
        calls.reboot = [](int) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1)); // the device's answer
            return 1;
        };
        calls.openUpgrade = [this](int, const char*, SdkUpgradeCallback callback, void* context, int) {
            std::lock_guard lock(mutex);
            upgrades.emplace_back(callback, context);
            return static_cast<int>(upgrades.size());
        };
        calls.startUpgrade = [](int) { return 1; };
        calls.closeUpgrade = [](int) { return 1; };
    }
};

// The longest gap between two turns of a 1 ms timer on the window thread.
struct StallMeter {
    QTimer timer;
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;

    StallMeter() {
        timer.setInterval(1);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            const qint64 now = clock.elapsed();
            longest = std::max(longest, now - last);
            last = now;
        });
    }
    void Start() {
        clock.start();
        last = 0;
        longest = 0;
        timer.start();
    }
};

void RunUntilIdle(const DeviceSession& session) {
    QElapsedTimer waited;
    waited.start();
    while (session.IsOperationRunning() && waited.elapsed() < 120000) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    QApplication::processEvents();
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    CDlgTip::SetAnswerer([](const TipRequest&) { return int(kTipOk); });
    FakeDevices devices;
    DeviceSession session(nullptr, devices.calls);
    for (int i = 0; i < kDevices; ++i) {
        DeviceEntry entry;
        entry.mac = QString::asprintf("02-00-00-00-%02X-%02X", i / 256, i % 256).toStdString();
        entry.ip = "10.77." + std::to_string(16 + i / 250) + "." + std::to_string(1 + i % 250);
        entry.operations = NativeOperations(0);
        session.Devices()[entry.mac] = entry;
    }
    AnsweringPrompt prompt;
    CDlgOperate page(nullptr, session, prompt);
    page.resize(1030, 640);
    page.show();
    emit session.SearchFinished(0);
    QApplication::processEvents();
    page.Tree()->topLevelItem(0)->setCheckState(0, Qt::Checked);
    int updates = 0;
    QObject::connect(page.Tree()->model(), &QAbstractItemModel::dataChanged, [&updates] { ++updates; });

    StallMeter meter;
    QElapsedTimer took;
    BatchRequest reboot;
    reboot.operation = BatchOperation::Reboot;
    meter.Start();
    took.start();
    page.RunBatch(reboot);
    RunUntilIdle(session);
    std::printf("reboot batch, %d devices: %lld ms, longest window stall %lld ms, %d item updates\n",
                kDevices, static_cast<long long>(took.elapsed()), static_cast<long long>(meter.longest),
                updates);

    updates = 0;
    BatchRequest upgrade;
    upgrade.operation = BatchOperation::Upgrade;
    upgrade.path = "/firmware/image.upf";
    page.RunBatch(upgrade);
    while (true) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        std::lock_guard lock(devices.mutex);
        if (static_cast<int>(devices.upgrades.size()) == kDevices) {
            break;
        }
    }
    // Every device reports every step of both halves, then its success.
    int callbacks = 0;
    std::thread reporter([&] {
        for (int half = 0; half < 2; ++half) {
            for (int step = 0; step <= 100; ++step) {
                for (const auto& [callback, context] : devices.upgrades) {
                    callback(0, 0, half == 0 ? 100 : -1, step, context);
                    ++callbacks;
                }
                // A step every 2 ms: about 0.4 s for the whole upgrade.
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        }
        for (const auto& [callback, context] : devices.upgrades) {
            callback(0, 0, 0, -1, context);
            ++callbacks;
        }
    });
    meter.Start();
    took.start();
    updates = 0;
    RunUntilIdle(session);
    reporter.join();
    std::printf("upgrade batch, %d devices, %d progress callbacks: %lld ms, longest window stall %lld ms, "
                "%d item updates\n",
                kDevices, callbacks, static_cast<long long>(took.elapsed()),
                static_cast<long long>(meter.longest), updates);
    return 0;
}
