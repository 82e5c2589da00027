// A second device family plugged in through the session alone: its
// discovery source is searched beside the native one, its devices appear
// in the device list like native ones, the device menu offers only what
// the family can do, and the batch page runs a batch over both families,
// each device through its own family's link.
#include "devlist/device_actions.h"
#include "devlist/device_columns.h"
#include "devlist/device_commands.h"
#include "devlist/dlg_dev_info.h"
#include "discovery/discovery_source.h"
#include "fake_family_link.h"
#include "operate/batch_runner.h"
#include "operate/dlg_operate.h"
#include "session/device_session.h"
#include "session/search_scheduler.h"
#include "ui/color_list_ctrl.h"
#include "ui/dlg_tip.h"
#include "ui/lang_text.h"
#include "ui/skin_button.h"
#include "ui/tree_ctrl.h"

#include <QMenu>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QtTest>
#include <atomic>

namespace {

// Devices of one family as a discovery source finds them.
class FixedDiscovery : public DiscoverySource {
public:
    FixedDiscovery(std::string prefix, std::string subnet, OperationSet operations)
        : m_prefix(std::move(prefix)), m_subnet(std::move(subnet)), m_operations(operations) {}
    SearchResult Run(const SearchOptions& options, const std::atomic<bool>*) override {
        SearchResult result;
        for (const char last : {'1', '2'}) {
            const std::string mac = m_prefix + "-00-00-00-00-0" + last;
            DeviceEntry& entry = result.devices[mac];
            entry.mac = mac;
            entry.ip = m_subnet + last;
            entry.webPort = 80;
            entry.operations = m_operations;
        }
        std::vector<DeviceEntry> found;
        for (const auto& [mac, entry] : result.devices) {
            found.push_back(entry);
        }
        options.progress.v1Found(found);
        return result;
    }

private:
    std::string m_prefix;
    std::string m_subnet;
    OperationSet m_operations;
};

// The native family's SDK, answering every login, reboot and reset.
struct NativeDevices {
    NativeDevices() {
        calls.login = [](const char*, int, const char*, const char*, unsigned char*, int* error, int, int) {
            *error = 0;
            return 1;
        };
        calls.logout = [](int) { return 1; };
        calls.reboot = [this](int) { return ++reboots > 0 ? 1 : 0; };
        calls.restoreDefault = [this](int, unsigned int) { return ++resets > 0 ? 1 : 0; };
    }
    SdkCalls calls;
    std::atomic<int> reboots{0};
    std::atomic<int> resets{0};
};

class YesPrompt : public ILoginPrompt {
public:
    bool AskCredentials(const LoginPromptRequest&, std::string& user, std::string& password) override {
        user = "admin";
        password = "pw";
        return true;
    }
};

bool IsTestFamily(const DeviceEntry& entry) {
    return entry.mac.rfind("0A", 0) == 0;
}

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
    void init();
    void cleanup() { CDlgTip::SetAnswerer({}); }
    void aSecondFamilysDevicesAreListedWithTheirOwnMenu();
    void aBatchRunsOverBothFamiliesAndSaysWhatAFamilyCannotDo();

private:
    void Search();

    NativeDevices m_native;
    std::unique_ptr<DeviceSession> m_session;
    std::shared_ptr<FakeFamilyLink> m_link;
};

void FamilySeamTest::init() {
    CDlgTip::SetAnswerer([](const TipRequest&) { return int(kTipOk); });
    m_session = std::make_unique<DeviceSession>(nullptr, m_native.calls);
    // The native search goes to a loopback port where nothing answers.
    SearchTiming timing;
    timing.phaseMs = 100;
    timing.resendMs = 50;
    m_session->SetSearchOptions({{net::kLoopbackAddress, 28000}, 28003, 28001}, timing, "");
    m_session->AddDiscoverySource(std::make_shared<FixedDiscovery>(
        "0A", "10.1.0.", OperationSet{DeviceOperation::Login, DeviceOperation::Reboot, DeviceOperation::WebPage}));
    // Two native devices as a native search would have found them.
    m_session->AddDiscoverySource(std::make_shared<FixedDiscovery>("02", "10.1.2.", NativeOperations(0)));
    m_link = std::make_shared<FakeFamilyLink>();
    m_session->Links().Add(m_link, IsTestFamily);
}

void FamilySeamTest::Search() {
    QSignalSpy finished(m_session.get(), &DeviceSession::SearchFinished);
    QVERIFY(m_session->RequestSearch(SearchTrigger::Page));
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(finished.first().at(0).toInt(), kSocketsReady);
}

void FamilySeamTest::aSecondFamilysDevicesAreListedWithTheirOwnMenu() {
    DeviceSession& session = *m_session;
    CDlgDevInfo page(nullptr, session, QFont(), false, 0xFFFFFFFFu);
    page.resize(1030, 640);
    page.show();
    Search();
    QCOMPARE(session.DeviceCount(), 4);
    QCOMPARE(page.List()->GetItemCount(), 4);
    QCOMPARE(page.List()->GetItemText(0, kColIp), QString("10.1.2.1"));

    QMenu menu;
    page.Actions()->FillMenu(menu, session.Devices().at("0A-00-00-00-00-01"), kColMac);
    QCOMPARE(Commands(menu), (QList<int>{kCmdLogin, kCmdOpenWeb, kCmdCopy}));
}

void FamilySeamTest::aBatchRunsOverBothFamiliesAndSaysWhatAFamilyCannotDo() {
    YesPrompt prompt;
    CDlgOperate page(nullptr, *m_session, prompt);
    page.resize(1030, 640);
    page.show();
    Search();
    QTreeWidgetItem* root = page.Tree()->topLevelItem(0);
    QCOMPARE(root->childCount(), 4);
    const auto lines = [root] {
        QStringList texts;
        for (int i = 0; i < root->childCount(); ++i) {
            texts << root->child(i)->text(0);
        }
        return texts;
    };
    const auto run = [&](OperatePanel panel, const char* button) {
        QSignalSpy ended(page.findChild<BatchRunner*>(), &BatchRunner::BatchEnded);
        root->setCheckState(0, Qt::Checked);
        page.ShowPanel(panel);
        QTest::mouseClick(page.findChild<CxSkinButton*>(button), Qt::LeftButton);
        QTRY_COMPARE(ended.count(), 1);
        QTRY_VERIFY(!m_session->IsOperationRunning());
    };
    const QString success = LangText("tx.success");
    const QString notSupported = LangText("info.Fail_not_supported");

    run(OperatePanel::Reboot, "rebootButton");
    QCOMPARE(lines(), (QStringList{"10.1.2.1  " + success, "10.1.2.2  " + success, "10.1.0.1  " + success,
                                   "10.1.0.2  " + success}));
    QCOMPARE(m_native.reboots.load(), 2);
    QCOMPARE(m_link->reboots.load(), 2);
    QCOMPARE(m_link->logouts.load(), 2); // a restarted device's login ends through its own link

    // The test family cannot reset: said so per device, without a login.
    run(OperatePanel::Configuration, "defaultButton");
    QCOMPARE(lines(), (QStringList{"10.1.2.1  " + success, "10.1.2.2  " + success,
                                   "10.1.0.1  " + notSupported, "10.1.0.2  " + notSupported}));
    QCOMPARE(m_native.resets.load(), 2);
    QCOMPARE(m_session->Logins().Count(), 0u);
}

QTEST_MAIN(FamilySeamTest)
#include "tst_family_seam.moc"
