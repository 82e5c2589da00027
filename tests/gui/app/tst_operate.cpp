// The batch operation page against simulated devices of its own (on
// loopback addresses inside the test's network namespace): the tree's ticks
// and filter, the panels' checks, and reboot, login and upgrade batches run
// to their end through the page.
#include "devsim/sdk/sim_device.h"
#include "lang/tool_language.h"
#include "operate/batch_runner.h"
#include "operate/dlg_modify_password.h"
#include "operate/dlg_operate.h"
#include "sdk/config_file.h"
#include "sdk/sdk.h"
#include "session/device_session.h"
#include "ui/dlg_tip.h"
#include "ui/file_dialog.h"
#include "ui/lang_text.h"
#include "ui/skin_button.h"
#include "ui/tree_ctrl.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <memory>
#include <mutex>

namespace {

// Answers the batch login on the engine's worker thread, as the real
// prompt's caller would see it.
class FakePrompt : public ILoginPrompt {
public:
    bool AskCredentials(const LoginPromptRequest& request, std::string& user,
                        std::string& password) override {
        std::lock_guard lock(m_mutex);
        ++m_asked;
        m_caption = request.captionKey;
        user = "admin";
        password = m_password;
        return !m_cancel;
    }
    std::mutex m_mutex;
    int m_asked = 0;
    std::string m_caption;
    std::string m_password = "pw";
    bool m_cancel = false;
};

std::atomic<int> g_nextDevice{0};

} // namespace

class OperateTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void rootAndChildTicksAndFindKeepingShowsAll();
    void devicesComingAndGoingKeepTheTicks();
    void panelChecksComeBeforeAnyBatch();
    void panelsOfferWhatTheTickedDevicesCan();
    void rebootBatchWritesOneLinePerDeviceAndOneCompletion();
    void cancelledLoginEndsTheBatchKeepingEarlierResults();
    void portBatchTellsTheSessionAndANetworkChangeResetsTheLine();
    void upgradeEndsAfterTheWatchdogFailsTheSilentDevice();
    void upgradeWhereEveryLoginFailsEndsAtOnce();
    void failureLinesSayWhy();
    void readdressPanelShowsThePlanBeforeAnythingIsSent();

private:
    DeviceEntry& AddDevice(bool live, const devsim::SimSdkFaults& faults = {});
    void MakePage(int watchdogMs = 30000);
    void TickAll();
    QStringList Lines() const;
    // Tips with the key's text (or, for no key, with this text).
    int Count(const char* key, const QString& text = {}) const;
    // The completion message with its counts, and how many were shown.
    static QString Completed(int succeeded, int failed);
    int Completions() const;
    bool WaitForCompletion(int timeoutMs);
    QString WriteFirmware(const std::string& model = "IPC-SIM");

    DeviceSession m_session;
    FakePrompt m_prompt;
    std::vector<std::unique_ptr<devsim::SimSdkDevice>> m_devices;
    std::unique_ptr<CDlgOperate> m_page;
    QList<TipRequest> m_tips;
    QTemporaryDir m_dir;
};

void OperateTest::init() {
    m_session.Devices().clear();
    m_prompt.m_password = "pw";
    m_prompt.m_cancel = false;
    m_prompt.m_asked = 0;
    m_tips.clear();
    CDlgTip::SetAnswerer([this](const TipRequest& request) {
        m_tips.append(request);
        return int(kTipOk);
    });
}

void OperateTest::cleanup() {
    if (m_page) {
        QTRY_VERIFY_WITH_TIMEOUT(!m_session.IsOperationRunning(), 20000);
    }
    m_page.reset();
    CDlgTip::SetAnswerer({});
    FileDialog::SetAnswerer({});
    m_session.Logins().EndAll();
    m_devices.clear();
}

DeviceEntry& OperateTest::AddDevice(bool live, const devsim::SimSdkFaults& faults) {
    const int index = g_nextDevice++;
    devsim::SimSdkSettings settings;
    settings.name = "CAM-" + std::to_string(index);
    settings.ip = "127.0.0." + std::to_string(2 + index);
    settings.tcpPort = static_cast<uint16_t>(21000 + index);
    settings.users = {{"admin", "pw"}};
    settings.rebootMs = 200;
    settings.flashMs = 200;
    if (live) {
        m_devices.push_back(std::make_unique<devsim::SimSdkDevice>(settings));
        m_devices.back()->SetFaults(faults);
        if (!m_devices.back()->Start()) {
            qFatal("simulated device did not start");
        }
    }
    DeviceEntry entry;
    entry.mac = "02-00-00-00-00-" + std::to_string(10 + index);
    entry.ip = settings.ip;
    entry.tcpPort = settings.tcpPort;
    entry.webPort = 80;
    entry.model = settings.model;
    entry.operations = NativeOperations(0);
    return m_session.Devices()[entry.mac] = entry;
}

void OperateTest::MakePage(int watchdogMs) {
    OperatePageOptions options;
    options.watchdogMs = watchdogMs;
    m_page = std::make_unique<CDlgOperate>(nullptr, m_session, m_prompt, options);
    m_page->resize(1030, 640);
    m_page->show();
    emit m_session.SearchFinished(0);
}

void OperateTest::TickAll() {
    m_page->Tree()->topLevelItem(0)->setCheckState(0, Qt::Checked);
}

QStringList OperateTest::Lines() const {
    QStringList lines;
    const QTreeWidgetItem* root = m_page->Tree()->topLevelItem(0);
    for (int i = 0; i < root->childCount(); ++i) {
        lines << root->child(i)->text(0);
    }
    return lines;
}

int OperateTest::Count(const char* key, const QString& text) const {
    const QString wanted = key != nullptr ? LangText(key) : text;
    int count = 0;
    for (const TipRequest& tip : m_tips) {
        count += tip.text == wanted ? 1 : 0;
    }
    return count;
}

QString OperateTest::Completed(int succeeded, int failed) {
    QString text = LangText("info.operate_completed_counts");
    const qsizetype first = text.indexOf("%s");
    text.replace(first, 2, QString::number(succeeded));
    text.replace(text.indexOf("%s", first), 2, QString::number(failed));
    return text;
}

int OperateTest::Completions() const {
    const QString lead = LangText("info.operate_completed_counts").section("%s", 0, 0);
    int count = 0;
    for (const TipRequest& tip : m_tips) {
        count += tip.text.startsWith(lead) ? 1 : 0;
    }
    return count;
}

bool OperateTest::WaitForCompletion(int timeoutMs) {
    return QTest::qWaitFor([this] { return Completions() > 0; }, timeoutMs);
}

QString OperateTest::WriteFirmware(const std::string& model) {
    const std::string path = m_dir.filePath(QString::fromStdString(model + ".upf")).toStdString();
    sdkwire::WriteWholeFile(
        path, sdkwire::EncodeFirmware({model, "V7.00 Build: 2026-12-07", sdkwire::Bytes(200000, 7)}));
    return QString::fromStdString(path);
}

void OperateTest::devicesComingAndGoingKeepTheTicks() {
    const QString first = QString::fromStdString(AddDevice(false).ip);
    const DeviceEntry& second = AddDevice(false);
    MakePage();
    QTreeWidgetItem* root = m_page->Tree()->topLevelItem(0);
    root->child(1)->setCheckState(0, Qt::Checked);
    // What a quiet search tells: a new device (ordered before the others by
    // its MAC), a changed address, a device going away.
    DeviceEntry fresh;
    fresh.mac = "02-00-00-00-00-00";
    fresh.ip = "127.0.0.99";
    m_session.Devices()[fresh.mac] = fresh;
    emit m_session.DevicesAdded({QString::fromStdString(fresh.mac)});
    m_session.Devices()[second.mac].ip = "127.0.0.77";
    emit m_session.DevicesChanged({QString::fromStdString(second.mac)});
    QCOMPARE(Lines(), QStringList({"127.0.0.99", first, "127.0.0.77"}));
    QCOMPARE(root->child(2)->checkState(0), Qt::Checked);
    emit m_session.DevicesRemoving({QString::fromStdString(second.mac)});
    QCOMPARE(root->childCount(), 2);
    QCOMPARE(root->checkState(0), Qt::Unchecked);
    root->child(0)->setCheckState(0, Qt::Checked);
    root->child(1)->setCheckState(0, Qt::Checked);
    QCOMPARE(root->checkState(0), Qt::Checked);
}

void OperateTest::rootAndChildTicksAndFindKeepingShowsAll() {
    for (int i = 0; i < 3; ++i) {
        AddDevice(false);
    }
    MakePage();
    QTreeWidgetItem* root = m_page->Tree()->topLevelItem(0);
    QCOMPARE(root->text(0), LangText("tx.Device_list"));
    QCOMPARE(root->childCount(), 3);
    TickAll();
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(root->child(i)->checkState(0), Qt::Checked);
    }
    root->child(1)->setCheckState(0, Qt::Unchecked);
    QCOMPARE(root->checkState(0), Qt::Unchecked);
    QCOMPARE(root->child(0)->checkState(0), Qt::Checked); // the others keep theirs
    root->child(1)->setCheckState(0, Qt::Checked);
    QCOMPARE(root->checkState(0), Qt::Checked);

    // FIND matching every device keeps shows-all, so ALL leaves the tree alone.
    auto* filter = m_page->findChild<QLineEdit*>("filterEdit");
    filter->setText("127.0.0.");
    QTest::mouseClick(m_page->findChild<CxSkinButton*>("findButton"), Qt::LeftButton);
    QVERIFY(m_page->ShowsAll());
    root = m_page->Tree()->topLevelItem(0);
    root->child(0)->setCheckState(0, Qt::Checked);
    QTest::mouseClick(m_page->findChild<CxSkinButton*>("allButton"), Qt::LeftButton);
    QCOMPARE(m_page->Tree()->topLevelItem(0)->child(0)->checkState(0), Qt::Checked);
    // One device fewer clears it; ALL then lists all again.
    filter->setText(Lines().first());
    QTest::mouseClick(m_page->findChild<CxSkinButton*>("findButton"), Qt::LeftButton);
    QCOMPARE(Lines().size(), 1);
    QVERIFY(!m_page->ShowsAll());
    QTest::mouseClick(m_page->findChild<CxSkinButton*>("allButton"), Qt::LeftButton);
    QCOMPARE(Lines().size(), 3);
    QVERIFY(m_page->ShowsAll());
}

void OperateTest::panelChecksComeBeforeAnyBatch() {
    AddDevice(false);
    MakePage();
    // Upgrade without a file: the file is asked for even with nothing ticked.
    m_page->ShowPanel(OperatePanel::Upgrade);
    QTest::mouseClick(m_page->findChild<CxSkinButton*>("upgradeButton"), Qt::LeftButton);
    QCOMPARE(m_tips.size(), 1);
    QCOMPARE(m_tips[0].text, LangText("info.select_upgrade_file"));

    // Default setting with nothing ticked: told before any question.
    m_page->ShowPanel(OperatePanel::Configuration);
    QTest::mouseClick(m_page->findChild<CxSkinButton*>("defaultButton"), Qt::LeftButton);
    QCOMPARE(m_tips.size(), 2);
    QCOMPARE(m_tips[1].text, LangText("msg.Sel_dev_first"));

    // A space in a password edit is named and empties that edit only.
    m_page->ShowPanel(OperatePanel::Password);
    COperatePanel* password = m_page->Panel(OperatePanel::Password);
    auto* oldEdit = password->findChild<QLineEdit*>("oldPasswordEdit");
    auto* newEdit = password->findChild<QLineEdit*>("newPasswordEdit");
    QTest::keyClicks(oldEdit, "kept");
    QTest::keyClicks(newEdit, "ab ");
    QCOMPARE(m_tips.size(), 3);
    QCOMPARE(m_tips[2].text,
             QString::fromStdString(Tool::FormatText(LangText("strContainIllegalChar").toStdString(), " ")));
    QCOMPARE(m_tips[2].iconType, int(kTipIconStop));
    QVERIFY(newEdit->text().isEmpty());
    QCOMPARE(oldEdit->text(), QString("kept"));
    // Hiding the panel empties its edits.
    m_page->ShowPanel(OperatePanel::Port);
    QVERIFY(oldEdit->text().isEmpty());

    // Equal ports are refused; the edits keep ports in range.
    COperatePanel* port = m_page->Panel(OperatePanel::Port);
    auto* http = port->findChild<QLineEdit*>("httpPortEdit");
    auto* tcp = port->findChild<QLineEdit*>("tcpPortEdit");
    auto* rtsp = port->findChild<QLineEdit*>("rtspPortEdit");
    QCOMPARE(QStringList({http->text(), tcp->text(), rtsp->text()}), QStringList({"80", "34567", "554"}));
    tcp->setText("80");
    QTest::mouseClick(port->findChild<CxSkinButton*>("modifyButton"), Qt::LeftButton);
    QCOMPARE(m_tips.size(), 4);
    QCOMPARE(m_tips[3].text, LangText("info.Port_set_error_same"));
    tcp->setText("99999");
    QCOMPARE(tcp->text(), QString("65535"));
    m_page->ShowPanel(OperatePanel::Reboot);
    QCOMPARE(tcp->text(), QString("34567"));

    // Reboot with nothing ticked: asked, then nothing to do.
    QTest::mouseClick(m_page->findChild<CxSkinButton*>("rebootButton"), Qt::LeftButton);
    QCOMPARE(m_tips.size(), 6);
    QCOMPARE(m_tips[4].text, LangText("msg.Ensure_reboot"));
    QCOMPARE(m_tips[5].text, LangText("msg.Sel_dev_first"));
    QVERIFY(!m_session.IsOperationRunning());
}

void OperateTest::panelsOfferWhatTheTickedDevicesCan() {
    AddDevice(false);
    DeviceEntry& other = AddDevice(false);
    other.operations = OperationSet{DeviceOperation::Login, DeviceOperation::Ports, DeviceOperation::SoftReset};
    MakePage();
    COperatePanel* port = m_page->Panel(OperatePanel::Port);
    auto* tcp = port->findChild<QLineEdit*>("tcpPortEdit");
    auto* rtsp = port->findChild<QLineEdit*>("rtspPortEdit");
    auto* keep = m_page->Panel(OperatePanel::Configuration)->findChild<QCheckBox*>("keepNetworkCheck");
    QTreeWidgetItem* root = m_page->Tree()->topLevelItem(0);
    // Nothing ticked: the TCP port shows, the reset has no choice.
    QVERIFY(!tcp->isHidden());
    QVERIFY(keep->isHidden());
    // Only the device without a native TCP port: the RTSP row moves up.
    const int rtspY = rtsp->y();
    root->child(1)->setCheckState(0, Qt::Checked);
    QVERIFY(tcp->isHidden());
    QVERIFY(rtsp->y() < rtspY);
    QVERIFY(!keep->isHidden());
    // Both: every choice of either.
    root->child(0)->setCheckState(0, Qt::Checked);
    QVERIFY(!tcp->isHidden());
    QCOMPARE(rtsp->y(), rtspY);
    QVERIFY(!keep->isHidden());
}

void OperateTest::rebootBatchWritesOneLinePerDeviceAndOneCompletion() {
    devsim::SimSdkFaults slow;
    slow.slowMs = 60; // long enough to find the batch running
    std::vector<DeviceEntry*> devices;
    for (int i = 0; i < 3; ++i) {
        devices.push_back(&AddDevice(true, slow));
    }
    AddDevice(false); // never ticked: no line
    MakePage();
    TickAll();
    m_page->Tree()->topLevelItem(0)->child(3)->setCheckState(0, Qt::Unchecked);
    m_page->ShowPanel(OperatePanel::Reboot);
    QSignalSpy logins(&m_session, &DeviceSession::LoginStateChanged);
    QSignalSpy ended(m_page->findChild<BatchRunner*>(), &BatchRunner::BatchEnded);
    QTest::mouseClick(m_page->findChild<CxSkinButton*>("rebootButton"), Qt::LeftButton);
    QVERIFY(m_session.IsOperationRunning());
    // While it runs, FIND and the panels refuse.
    m_page->findChild<QLineEdit*>("filterEdit")->setText("127");
    QTest::mouseClick(m_page->findChild<CxSkinButton*>("findButton"), Qt::LeftButton);
    QTest::mouseClick(m_page->findChild<CxSkinButton*>("rebootButton"), Qt::LeftButton);
    QCOMPARE(Count("info.Configuring_wait"), 2);

    QVERIFY(WaitForCompletion(20000));
    QTRY_VERIFY_WITH_TIMEOUT(!m_session.IsOperationRunning(), 5000);
    // The engine is idle: whatever it posted is delivered now, and nothing
    // comes after it.
    QCoreApplication::sendPostedEvents();
    QCOMPARE(ended.count(), 1);
    QCOMPARE(Completions(), 1);
    QCOMPARE(Count(nullptr, Completed(3, 0)), 1);
    QCOMPARE(m_prompt.m_asked, 1);
    QCOMPARE(QString::fromStdString(m_prompt.m_caption), QString("msg.Login_first"));
    const QStringList lines = Lines();
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(lines[i], QString::fromStdString(devices[i]->ip) + "  " + LangText("tx.success"));
        QVERIFY(!m_session.IsLoggedIn(devices[i]->mac));
    }
    QCOMPARE(lines[3], QString::fromStdString(m_session.Devices().rbegin()->second.ip));
    // The device list hears of each login and of each logout by the restart.
    QCOMPARE(logins.count(), 6);
    QCOMPARE(logins.first().at(1).toBool(), true);
    QCOMPARE(logins.last().at(1).toBool(), false);
}

void OperateTest::cancelledLoginEndsTheBatchKeepingEarlierResults() {
    DeviceEntry& first = AddDevice(true);
    AddDevice(true);
    AddDevice(true);
    // The first device is logged in already, so the batch asks at the second.
    unsigned char info[48];
    int error = 0;
    const int handle = SDK_Login(first.ip.c_str(), first.tcpPort, "admin", "pw", info, &error, 0, 0);
    QVERIFY(handle > 0);
    m_session.Logins().Begin(first.mac, DeviceLogin{&m_session.Links().Native(), handle, "admin", "pw"});
    m_prompt.m_cancel = true;
    MakePage();
    TickAll();
    m_page->ShowPanel(OperatePanel::Reboot);
    QSignalSpy ended(m_page->findChild<BatchRunner*>(), &BatchRunner::BatchEnded);
    QTest::mouseClick(m_page->findChild<CxSkinButton*>("rebootButton"), Qt::LeftButton);
    // The end of the batch, as cancelled, is what the page hears last.
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 15000);
    QCOMPARE(ended[0][1].toBool(), false);
    QTRY_VERIFY_WITH_TIMEOUT(!m_session.IsOperationRunning(), 5000);
    QCoreApplication::sendPostedEvents();
    QCOMPARE(m_prompt.m_asked, 1);
    QCOMPARE(Completions(), 0);
    const QStringList lines = Lines();
    QCOMPARE(lines[0], QString::fromStdString(first.ip) + "  " + LangText("tx.success"));
    QVERIFY(!lines[1].contains("  "));
    QVERIFY(!lines[2].contains("  "));
    QVERIFY(!m_page->AnyBusy());
}

void OperateTest::portBatchTellsTheSessionAndANetworkChangeResetsTheLine() {
    DeviceEntry& device = AddDevice(true);
    MakePage();
    QSignalSpy portsChanged(&m_session, &DeviceSession::RecordsChanged);
    TickAll();
    m_page->ShowPanel(OperatePanel::Port);
    COperatePanel* port = m_page->Panel(OperatePanel::Port);
    port->findChild<QLineEdit*>("httpPortEdit")->setText("8080");
    port->findChild<QLineEdit*>("rtspPortEdit")->setText("555");
    QTest::mouseClick(port->findChild<CxSkinButton*>("modifyButton"), Qt::LeftButton);
    QCOMPARE(m_tips.first().text, LangText("msg.Ensure_modify_port"));
    QVERIFY(WaitForCompletion(20000));
    QCOMPARE(portsChanged.count(), 1);
    QCOMPARE(Lines()[0], QString::fromStdString(device.ip) + "  " + LangText("tx.success"));
    QCOMPARE(device.webPort, uint16_t(8080));
    QTRY_VERIFY_WITH_TIMEOUT(!m_session.IsOperationRunning(), 5000);
    emit m_session.NetworkChanged(QString::fromStdString(device.mac));
    QCOMPARE(Lines()[0], QString::fromStdString(device.ip));
}

void OperateTest::upgradeEndsAfterTheWatchdogFailsTheSilentDevice() {
    DeviceEntry& good = AddDevice(true);
    devsim::SimSdkFaults stall;
    stall.stallUpgradeAtPercent = 70;
    DeviceEntry& silent = AddDevice(true, stall);
    MakePage(400);
    TickAll();
    const QString path = WriteFirmware();
    FileDialog::SetAnswerer([path](const FileDialogRequest& request) {
        return request.filter.startsWith("upf") ? path : QString();
    });
    QTest::mouseClick(m_page->findChild<CxSkinButton*>("browseButton"), Qt::LeftButton);
    QTest::mouseClick(m_page->findChild<CxSkinButton*>("upgradeButton"), Qt::LeftButton);
    QCOMPARE(m_tips.first().text, LangText("msg.Ensure_upgrade"));
    // Progress shows as "address  percent%" while it runs.
    QTRY_VERIFY_WITH_TIMEOUT(Lines()[1].endsWith("%"), 10000);
    QVERIFY(WaitForCompletion(20000));
    QCOMPARE(Lines()[0], QString::fromStdString(good.ip) + "  " + LangText("tx.success"));
    // The watchdog ended it: the line says the device did not answer in time.
    QCOMPARE(Lines()[1], QString::fromStdString(silent.ip) + "  " + LangText("info.operate_timeout"));
    QTRY_VERIFY_WITH_TIMEOUT(!m_session.IsOperationRunning(), 5000);
    QCOMPARE(Completions(), 1);
    QCOMPARE(Count(nullptr, Completed(1, 1)), 1);
}

void OperateTest::upgradeWhereEveryLoginFailsEndsAtOnce() {
    AddDevice(true);
    AddDevice(true);
    m_prompt.m_password = "wrong";
    MakePage(400);
    TickAll();
    m_page->findChild<QLineEdit*>("pathEdit")->setText(WriteFirmware());
    QElapsedTimer timer;
    timer.start();
    QTest::mouseClick(m_page->findChild<CxSkinButton*>("upgradeButton"), Qt::LeftButton);
    QVERIFY(WaitForCompletion(15000));
    QVERIFY(timer.elapsed() < 10000);
    for (const QString& line : Lines()) {
        QVERIFY2(line.endsWith("  " + LangText("info.Login_fail")), qPrintable(line));
    }
    QCOMPARE(Count(nullptr, Completed(0, 2)), 1);
    QTRY_VERIFY_WITH_TIMEOUT(!m_session.IsOperationRunning(), 5000);
}

void OperateTest::failureLinesSayWhy() {
    DeviceEntry& device = AddDevice(true);
    MakePage();
    TickAll();
    const QString failed = QString::fromStdString(device.ip) + "  ";
    // A wrong old password.
    m_page->ShowPanel(OperatePanel::Password);
    COperatePanel* password = m_page->Panel(OperatePanel::Password);
    password->findChild<QLineEdit*>("oldPasswordEdit")->setText("not-the-one");
    password->findChild<QLineEdit*>("newPasswordEdit")->setText("Fresh1234");
    password->findChild<QLineEdit*>("confirmPasswordEdit")->setText("Fresh1234");
    QTest::mouseClick(password->findChild<CxSkinButton*>("modifyButton"), Qt::LeftButton);
    QVERIFY(WaitForCompletion(20000));
    QCOMPARE(Lines()[0], failed + LangText("info.Fail_old_password"));
    QCOMPARE(Count(nullptr, Completed(0, 1)), 1);
    QTRY_VERIFY_WITH_TIMEOUT(!m_session.IsOperationRunning(), 5000);

    // Firmware of another model: the device refuses it, the line says why.
    m_tips.clear();
    m_page->ShowPanel(OperatePanel::Upgrade);
    m_page->Panel(OperatePanel::Upgrade)
        ->findChild<QLineEdit*>("pathEdit")
        ->setText(WriteFirmware("NVR-OTHER"));
    QTest::mouseClick(m_page->findChild<CxSkinButton*>("upgradeButton"), Qt::LeftButton);
    QVERIFY(WaitForCompletion(20000));
    QCOMPARE(Lines()[0], failed + LangText("info.Fail_wrong_model"));
    QTRY_VERIFY_WITH_TIMEOUT(!m_session.IsOperationRunning(), 5000);

    // A file that is no configuration file.
    m_tips.clear();
    m_page->ShowPanel(OperatePanel::Configuration);
    m_page->Panel(OperatePanel::Configuration)
        ->findChild<QLineEdit*>("pathEdit")
        ->setText(WriteFirmware("IPC-SIM"));
    QTest::mouseClick(m_page->findChild<CxSkinButton*>("importButton"), Qt::LeftButton);
    QVERIFY(WaitForCompletion(20000));
    QCOMPARE(Lines()[0], failed + LangText("info.Fail_not_config_file"));
}

void OperateTest::readdressPanelShowsThePlanBeforeAnythingIsSent() {
    for (int i = 0; i < 3; ++i) {
        AddDevice(false);
    }
    MakePage();
    m_page->ShowPanel(OperatePanel::Readdress);
    COperatePanel* panel = m_page->Panel(OperatePanel::Readdress);
    auto* lines = panel->findChild<QListWidget*>("planList");
    auto* apply = panel->findChild<CxSkinButton*>("applyPlanButton");
    QTest::mouseClick(apply, Qt::LeftButton);
    QCOMPARE(m_tips.size(), 1);
    QCOMPARE(m_tips[0].text, LangText("info.Readdress_plan_first"));

    TickAll();
    panel->findChild<QLineEdit*>("rangeEdit")->setText("10.1.0.1-10.1.0.9");
    panel->findChild<QLineEdit*>("readdressMaskEdit")->setText("255.255.255.0");
    panel->findChild<QLineEdit*>("readdressGatewayEdit")->setText("10.1.0.1");
    QTest::mouseClick(panel->findChild<CxSkinButton*>("planButton"), Qt::LeftButton);
    // One line per device in MAC order, then the gateway passed over.
    QTRY_COMPARE(lines->count(), 4);
    const QStringList devices = Lines();
    for (int i = 0; i < 3; ++i) {
        const QString expected =
            QString("  %1 -> 10.1.0.%2  %3").arg(devices[i]).arg(i + 2).arg(LangText("rd.Planned"));
        QVERIFY2(lines->item(i)->text().endsWith(expected), qPrintable(lines->item(i)->text()));
    }
    QCOMPARE(lines->item(3)->text(), "10.1.0.1  " + LangText("rd.Skip_rules"));

    // Cancelled at the question: nothing is sent, the plan stays.
    CDlgTip::SetAnswerer([this](const TipRequest& request) {
        m_tips.append(request);
        return int(kTipCancel);
    });
    QTest::mouseClick(apply, Qt::LeftButton);
    QCOMPARE(m_tips.last().text, LangText("msg.Readdress_apply"));
    QCOMPARE(lines->count(), 4);
    QVERIFY(!m_session.IsOperationRunning());
    QCOMPARE(m_session.Devices().begin()->second.ip, devices[0].toStdString());
}

QTEST_MAIN(OperateTest)
#include "tst_operate.moc"
