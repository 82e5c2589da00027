// A second device family plugged in through the session alone: its
// discovery source is searched beside the native one, its devices appear
// in the device list like native ones, and the device menu offers only
// what the family can do.
#include "devlist/device_actions.h"
#include "devlist/device_columns.h"
#include "devlist/device_commands.h"
#include "devlist/dlg_dev_info.h"
#include "discovery/discovery_source.h"
#include "session/device_session.h"
#include "session/search_scheduler.h"
#include "ui/color_list_ctrl.h"

#include <QMenu>
#include <QSignalSpy>
#include <QtTest>

namespace {

// The test family: two cameras, reboot and web page only.
class TestFamilyDiscovery : public DiscoverySource {
public:
    SearchResult Run(const SearchOptions& options, const std::atomic<bool>*) override {
        SearchResult result;
        for (const char* mac : {"0A-00-00-00-00-01", "0A-00-00-00-00-02"}) {
            DeviceEntry& entry = result.devices[mac];
            entry.mac = mac;
            entry.ip = std::string("10.1.0.") + mac[16];
            entry.webPort = 80;
            entry.operations = {DeviceOperation::Reboot, DeviceOperation::WebPage};
        }
        std::vector<DeviceEntry> found;
        for (const auto& [mac, entry] : result.devices) {
            found.push_back(entry);
        }
        options.progress.v1Found(found);
        return result;
    }
};

QList<int> Commands(const QMenu& menu) {
    QList<int> commands;
    for (const QAction* action : menu.actions()) {
        commands.append(action->data().toInt());
    }
    return commands;
}

} // namespace

class FamilySeamTest : public QObject {
    Q_OBJECT

private slots:
    void aSecondFamilysDevicesAreListedWithTheirOwnMenu();
};

void FamilySeamTest::aSecondFamilysDevicesAreListedWithTheirOwnMenu() {
    DeviceSession session;
    // The native search goes to a loopback port where nothing answers.
    SearchTiming timing;
    timing.phaseMs = 100;
    timing.resendMs = 50;
    session.SetSearchOptions({{net::kLoopbackAddress, 28000}, 28003, 28001}, timing, "");
    session.AddDiscoverySource(std::make_shared<TestFamilyDiscovery>());
    CDlgDevInfo page(nullptr, session, QFont(), false, 0xFFFFFFFFu);
    page.resize(1030, 640);
    page.show();
    QSignalSpy finished(&session, &DeviceSession::SearchFinished);

    QVERIFY(session.RequestSearch(SearchTrigger::Page));
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(finished.first().at(0).toInt(), kSocketsReady);
    QCOMPARE(session.DeviceCount(), 2);
    QCOMPARE(page.List()->GetItemCount(), 2);
    QCOMPARE(page.List()->GetItemText(0, kColIp), QString("10.1.0.1"));

    QMenu menu;
    page.Actions()->FillMenu(menu, session.Devices().at("0A-00-00-00-00-01"), kColMac);
    QCOMPARE(Commands(menu), (QList<int>{kCmdOpenWeb, kCmdCopy}));
}

QTEST_MAIN(FamilySeamTest)
#include "tst_family_seam.moc"
