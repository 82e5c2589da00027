// The one gate before a search, driven as a user drives the main window
// against the simulator of the device lab: while a batch runs on slow
// devices, neither the title band's SEARCH nor the periodic timer starts a
// search, and the batch ends normally on the records it was given.
#include "app/corvane_dlg.h"
#include "app/page_table.h"
#include "app/title_band.h"
#include "lang/tool_language.h"
#include "manual_clock.h"
#include "operate/dlg_login_local.h"
#include "operate/dlg_operate.h"
#include "program_folder.h"
#include "sdk/config_file.h"
#include "session/device_session.h"
#include "session/search_scheduler.h"
#include "ui/dlg_tip.h"
#include "ui/lang_text.h"
#include "ui/skin_button.h"
#include "ui/tree_ctrl.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

constexpr int kLabDevices = 12;
const char* const kNewVersion = "V5.0.10 Build: 2026-12-08";

// The completion message of a batch where every device succeeded.
QString EveryDeviceSucceeded() {
    const std::string text = LangText("info.operate_completed_counts").toStdString();
    return QString::fromStdString(
        Tool::FormatText(Tool::FormatText(text, std::to_string(kLabDevices)), std::to_string(0)));
}

} // namespace

class SearchGateTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void searchDuringARebootBatchIsRefusedAndTheBatchEnds();
    void searchDuringAnUpgradeIsRefusedAndTheUpgradeCompletes();

private:
    // Sets m_page once the lab's devices are found and ticked.
    void StartOnOperatePage();
    void Search();
    int Count(const QString& text) const;
    QStringList Lines() const;
    // Every ticked device's line ends in the success text.
    void VerifyEveryLineSucceeded() const;

    std::unique_ptr<TestProgramFolder> m_folder;
    ManualClock m_clock;
    std::unique_ptr<CCorvaneDlg> m_window;
    CDlgOperate* m_page = nullptr;
    QList<TipRequest> m_tips;
};

void SearchGateTest::init() {
    m_folder = std::make_unique<TestProgramFolder>();
    m_tips.clear();
    CDlgTip::SetAnswerer([this](const TipRequest& request) {
        m_tips.append(request);
        return int(kTipOk);
    });
    CDlgLoginLocal::SetAnswerer([](const LoginPromptRequest&, std::string& user, std::string& password) {
        user = "admin";
        password = "pw";
        return true;
    });
}

void SearchGateTest::cleanup() {
    if (m_window) {
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->Session().IsOperationRunning(), 30000);
    }
    m_window.reset();
    m_page = nullptr;
    CDlgTip::SetAnswerer({});
    CDlgLoginLocal::SetAnswerer({});
    m_folder.reset();
}

void SearchGateTest::StartOnOperatePage() {
    // The periodic search is on, on a clock only the test moves.
    m_folder->SetConfig("SEARCH_CFG", "Periodic_Search", "1");
    m_folder->SetConfig("SEARCH_CFG", "Sel_Time", "2");
    MainWindowOptions options;
    options.programFolder = m_folder->Path();
    options.clock = &m_clock;
    options.searchTiming.phaseMs = 600;
    options.searchTiming.resendMs = 60;
    options.searchTiming.pauseMs = 10;
    m_window = std::make_unique<CCorvaneDlg>(options);
    m_window->OnInitDialog();
    m_window->show();
    QTRY_VERIFY_WITH_TIMEOUT(m_window->IsSearching(), 3000);
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->IsSearching(), 10000);
    QCOMPARE(m_window->DeviceCount(), kLabDevices);
    m_window->ShowPage(kPageOperate);
    m_page = static_cast<CDlgOperate*>(m_window->PageOf(kPageOperate));
    m_page->Tree()->topLevelItem(0)->setCheckState(0, Qt::Checked);
}

void SearchGateTest::Search() {
    QTest::mouseClick(m_window->Band()->search, Qt::LeftButton);
}

int SearchGateTest::Count(const QString& text) const {
    int count = 0;
    for (const TipRequest& tip : m_tips) {
        count += tip.text == text ? 1 : 0;
    }
    return count;
}

QStringList SearchGateTest::Lines() const {
    QStringList lines;
    const QTreeWidgetItem* root = m_page->Tree()->topLevelItem(0);
    for (int i = 0; i < root->childCount(); ++i) {
        lines << root->child(i)->text(0);
    }
    return lines;
}

void SearchGateTest::VerifyEveryLineSucceeded() const {
    const QStringList lines = Lines();
    QCOMPARE(lines.size(), kLabDevices);
    for (const QString& line : lines) {
        QVERIFY2(line.endsWith("  " + LangText("tx.success")), qPrintable(line));
    }
}

void SearchGateTest::searchDuringARebootBatchIsRefusedAndTheBatchEnds() {
    StartOnOperatePage();
    QVERIFY(m_page != nullptr);
    DeviceSession& session = m_window->Session();
    QSignalSpy starts(&session, &DeviceSession::SearchStarted);
    QSignalSpy quietStarts(&session, &DeviceSession::QuietSearchStarted);
    QSignalSpy logins(&session, &DeviceSession::LoginStateChanged);
    m_page->ShowPanel(OperatePanel::Reboot);
    QTest::mouseClick(m_page->findChild<CxSkinButton*>("rebootButton"), Qt::LeftButton);
    QCOMPARE(m_tips.last().text, LangText("msg.Ensure_reboot"));
    QVERIFY(session.IsOperationRunning());
    // A login at least, so the batch is surely under way on the records.
    QTRY_VERIFY_WITH_TIMEOUT(logins.count() > 0, 10000);

    Search();
    QCOMPARE(m_tips.last().text, LangText("info.Configuring_wait"));
    // The periodic timer asks quietly: dropped without a word.
    const int tips = static_cast<int>(m_tips.size());
    SearchScheduler& scheduler = session.Scheduler();
    QVERIFY(scheduler.PeriodicOn());
    m_clock.Advance(scheduler.RemainingMs());
    scheduler.Tick();
    QCoreApplication::processEvents();
    QCOMPARE(static_cast<int>(m_tips.size()), tips);
    QVERIFY(!m_window->IsSearching());
    QCOMPARE(m_window->DeviceCount(), kLabDevices);

    QTRY_VERIFY_WITH_TIMEOUT(Count(EveryDeviceSucceeded()) == 1, 30000);
    QTRY_VERIFY_WITH_TIMEOUT(!session.IsOperationRunning(), 10000);
    VerifyEveryLineSucceeded();
    QCOMPARE(starts.count(), 0);
    QCOMPARE(quietStarts.count(), 0);
    // Each device was logged in by the batch and out by its restart, and by
    // nothing else.
    int in = 0;
    int out = 0;
    for (const QList<QVariant>& login : logins) {
        (login.at(1).toBool() ? in : out) += 1;
    }
    QCOMPARE(in, kLabDevices);
    QCOMPARE(out, kLabDevices);

    // Once the batch is over, the same click searches.
    Search();
    QTRY_VERIFY_WITH_TIMEOUT(starts.count() == 1, 3000);
}

void SearchGateTest::searchDuringAnUpgradeIsRefusedAndTheUpgradeCompletes() {
    StartOnOperatePage();
    QVERIFY(m_page != nullptr);
    DeviceSession& session = m_window->Session();
    QSignalSpy starts(&session, &DeviceSession::SearchStarted);
    const QString path = m_folder->Path().c_str() + QString("image.upf");
    QVERIFY(sdkwire::WriteWholeFile(
        path.toStdString(),
        sdkwire::EncodeFirmware({"IPC-GATE", kNewVersion, sdkwire::Bytes(3u << 20, 0x5A)})));
    m_page->ShowPanel(OperatePanel::Upgrade);
    m_page->findChild<QLineEdit*>("pathEdit")->setText(path);
    QTest::mouseClick(m_page->findChild<CxSkinButton*>("upgradeButton"), Qt::LeftButton);
    QCOMPARE(m_tips.last().text, LangText("msg.Ensure_upgrade"));
    // Progress is under way on some device before the click.
    QTRY_VERIFY_WITH_TIMEOUT(Lines().filter(QRegularExpression("  [0-9]+%$")).size() > 0, 20000);

    Search();
    QCOMPARE(m_tips.last().text, LangText("info.Configuring_wait"));
    QCOMPARE(starts.count(), 0);
    QCOMPARE(Count(EveryDeviceSucceeded()), 0);
    QVERIFY(!Lines().filter("%").isEmpty());

    QTRY_VERIFY_WITH_TIMEOUT(Count(EveryDeviceSucceeded()) == 1, 60000);
    QTRY_VERIFY_WITH_TIMEOUT(!session.IsOperationRunning(), 10000);
    VerifyEveryLineSucceeded();
    QCOMPARE(starts.count(), 0);

    // The devices took the whole image: once back from their restart they
    // report the new version.
    const auto allNew = [&session] {
        for (const auto& [mac, entry] : session.Devices()) {
            if (entry.version != kNewVersion) {
                return false;
            }
        }
        return session.DeviceCount() == kLabDevices;
    };
    for (int attempt = 0; attempt < 5 && !allNew(); ++attempt) {
        Search();
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->IsSearching(), 10000);
    }
    QVERIFY(allNew());
}

QTEST_MAIN(SearchGateTest)
#include "tst_search_gate.moc"
