// The device list page on a device table of the test's own: FIND, ALL, the
// sort orders, the column mask, the login state and the search request.
#include "config/app_config.h"
#include "devlist/device_columns.h"
#include "devlist/dlg_dev_info.h"
#include "lang/tool_language.h"
#include "program_folder.h"
#include "session/device_session.h"
#include "session/search_scheduler.h"
#include "ui/color_list_ctrl.h"
#include "ui/dlg_tip.h"
#include "ui/skin_button.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <thread>

namespace {

DeviceEntry Device(const std::string& mac, const std::string& ip, uint16_t web, uint16_t tcp, bool onvif) {
    DeviceEntry entry;
    entry.mac = mac;
    entry.ip = ip;
    entry.webPort = web;
    entry.tcpPort = tcp;
    entry.onvifAvailable = onvif ? 1 : 0;
    entry.onvifPort = onvif ? web : 0;
    entry.type = "IPC";
    entry.version = "V1.0";
    return entry;
}

} // namespace

class DevInfoTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void rebuildShowsEveryDeviceInMacOrder();
    void deviceTextsAreShownAsPlainText();
    void findMatchesVisibleColumnsOnly();
    void findAndAllToggleTheShowsAllFlag();
    void ipSortIsNumericAndTcpPortSortGoesBothWays();
    void versionsSortAsVersions();
    void rowNumberHeaderDoesNothing();
    void columnMaskHidesAndShowsColumns();
    void loginStateByMacAndPortRedraw();
    void searchRequestIsRefusedWhileABatchRuns();
    void searchStartEmptiesTheList();
    void columnWidthsAreDraggedFittedAndKept();

private:
    void MakePage(uint32_t mask = 0x23FF);
    QStringList Column(int column) const;

    DeviceSession m_session;
    DeviceTable& m_devices = m_session.Devices();
    std::unique_ptr<CDlgDevInfo> m_page;
    int m_requests = 0;
    QList<TipRequest> m_tips;
};

void DevInfoTest::init() {
    // A search here finds nothing, at once.
    SearchTiming timing;
    timing.phaseMs = 50;
    timing.resendMs = 25;
    m_session.SetSearchOptions({{net::kLoopbackAddress, 27000}, 27003, 27001}, timing, "");
    m_devices.clear();
    // Key order (MAC) differs from address and port order on purpose.
    for (const DeviceEntry& entry : {Device("00-00-00-00-00-01", "10.0.0.10", 80, 34567, true),
                                     Device("00-00-00-00-00-02", "10.0.0.9", 8080, 9000, false),
                                     Device("00-00-00-00-00-03", "9.255.0.1", 81, 100000 % 65536, true),
                                     Device("00-00-00-00-00-04", "10.0.0.100", 180, 5000, true)}) {
        m_devices[entry.mac] = entry;
    }
    m_devices["00-00-00-00-00-04"].cloudId = "cloud-xyz";
    m_requests = 0;
    m_tips.clear();
    CDlgTip::SetAnswerer([this](const TipRequest& request) {
        m_tips.append(request);
        return int(kTipOk);
    });
}

void DevInfoTest::cleanup() {
    m_page.reset();
    CDlgTip::SetAnswerer({});
}

void DevInfoTest::MakePage(uint32_t mask) {
    m_page = std::make_unique<CDlgDevInfo>(nullptr, m_session, QFont(), false, mask);
    for (const auto started : {&DeviceSession::SearchStarted, &DeviceSession::QuietSearchStarted}) {
        connect(&m_session, started, m_page.get(), [this] { ++m_requests; });
    }
    m_page->resize(1030, 640);
    m_page->OnSearchEnd();
}

QStringList DevInfoTest::Column(int column) const {
    QStringList texts;
    for (int row = 0; row < m_page->List()->GetItemCount(); ++row) {
        texts << m_page->List()->GetItemText(row, column);
    }
    return texts;
}

void DevInfoTest::rebuildShowsEveryDeviceInMacOrder() {
    MakePage();
    QCOMPARE(m_page->List()->GetItemCount(), 4);
    QCOMPARE(Column(kColNo), QStringList({"1", "2", "3", "4"}));
    QCOMPARE(Column(kColIp), QStringList({"10.0.0.10", "10.0.0.9", "9.255.0.1", "10.0.0.100"}));
    // ONVIF off shows "--"; the V3 texts of a V1-only device show the placeholder.
    QCOMPARE(Column(kColOnvifPort), QStringList({"80", "--", "81", "180"}));
    QCOMPARE(m_page->List()->GetItemText(0, kColModel), QString("-- --"));
    QCOMPARE(m_page->EntryAt(3), &m_devices["00-00-00-00-00-04"]);
}

void DevInfoTest::deviceTextsAreShownAsPlainText() {
    m_devices["00-00-00-00-00-01"].type = "<b>x</b>";
    MakePage();
    QCOMPARE(m_page->List()->GetItemText(0, kColType), QString("<b>x</b>"));
    QCOMPARE(m_page->List()
                 ->Model()
                 ->data(m_page->List()->Model()->index(0, kColType), Qt::DisplayRole)
                 .toString(),
             QString("<b>x</b>"));
    // Item views draw their texts as characters, never as markup.
    QVERIFY(
        !m_page->List()->Model()->data(m_page->List()->Model()->index(0, kColType), Qt::FontRole).isValid());
}

void DevInfoTest::findMatchesVisibleColumnsOnly() {
    MakePage();
    auto* edit = m_page->findChild<QLineEdit*>("findEdit");
    auto* find = m_page->findChild<CxSkinButton*>("findButton");
    // Empty text: nothing happens.
    edit->clear();
    QTest::mouseClick(find, Qt::LeftButton);
    QCOMPARE(m_page->List()->GetItemCount(), 4);
    // "80" is in the web ports 80, 8080 and 180 and in the ONVIF port 180.
    edit->setText("80");
    QTest::mouseClick(find, Qt::LeftButton);
    QCOMPARE(Column(kColMac), QStringList({"00-00-00-00-00-01", "00-00-00-00-00-02", "00-00-00-00-00-04"}));
    QCOMPARE(Column(kColNo), QStringList({"1", "2", "3"}));
    // The cloud id column is visible by default: found.
    edit->setText("xyz");
    QTest::mouseClick(find, Qt::LeftButton);
    QCOMPARE(m_page->List()->GetItemCount(), 1);
    // With the cloud column hidden the same text finds nothing.
    m_page->OnColumnMask(0x23FF & ~0x200U);
    QTest::mouseClick(find, Qt::LeftButton);
    QCOMPARE(m_page->List()->GetItemCount(), 0);
    // Case-sensitive.
    edit->setText("ipc");
    QTest::mouseClick(find, Qt::LeftButton);
    QCOMPARE(m_page->List()->GetItemCount(), 0);
    // A MAC address with colons, or in small letters, finds the device.
    m_devices["00-00-00-00-00-02"].mac = "02-C0-AB-00-00-02";
    m_page->ShowAll();
    for (const char* mac : {"02:C0:AB:00:00:02", "02:c0:ab", "02-C0-AB-00-00-02", "c0-ab"}) {
        edit->setText(mac);
        QTest::mouseClick(find, Qt::LeftButton);
        QCOMPARE(Column(kColMac), QStringList({"02-C0-AB-00-00-02"}));
    }
    edit->setText("02:C0:AB:00:00:03");
    QTest::mouseClick(find, Qt::LeftButton);
    QCOMPARE(m_page->List()->GetItemCount(), 0);
}

void DevInfoTest::findAndAllToggleTheShowsAllFlag() {
    MakePage();
    QVERIFY(!m_page->ShowsAll());
    auto* edit = m_page->findChild<QLineEdit*>("findEdit");
    edit->setText("IPC");
    QTest::mouseClick(m_page->findChild<CxSkinButton*>("findButton"), Qt::LeftButton);
    QVERIFY(m_page->ShowsAll()); // matched everything
    edit->setText("10.0.0.1");
    QTest::mouseClick(m_page->findChild<CxSkinButton*>("findButton"), Qt::LeftButton);
    QCOMPARE(m_page->List()->GetItemCount(), 2);
    QVERIFY(!m_page->ShowsAll());
    QTest::mouseClick(m_page->findChild<CxSkinButton*>("allButton"), Qt::LeftButton);
    QCOMPARE(m_page->List()->GetItemCount(), 4);
    QVERIFY(m_page->ShowsAll());
}

void DevInfoTest::ipSortIsNumericAndTcpPortSortGoesBothWays() {
    MakePage();
    QHeaderView* header = m_page->List()->header();
    const auto clickHeader = [&](int column) {
        const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    };
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    QSignalSpy clicks(m_page->List(), &CMyColorListCtrlEx::ColumnClicked);
    clickHeader(kColIp);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(Column(kColIp), QStringList({"9.255.0.1", "10.0.0.9", "10.0.0.10", "10.0.0.100"}));
    QCOMPARE(Column(kColNo), QStringList({"1", "2", "3", "4"}));
    clickHeader(kColIp);
    QCOMPARE(Column(kColIp), QStringList({"10.0.0.100", "10.0.0.10", "10.0.0.9", "9.255.0.1"}));
    clickHeader(kColTcpPort);
    QCOMPARE(Column(kColTcpPort), QStringList({"5000", "9000", "34464", "34567"}));
    clickHeader(kColTcpPort);
    QCOMPARE(Column(kColTcpPort), QStringList({"34567", "34464", "9000", "5000"}));
    // The next search starts every column ascending again.
    m_page->OnSearchStart();
    m_page->OnSearchEnd();
    clickHeader(kColTcpPort);
    QCOMPARE(Column(kColTcpPort).first(), QString("5000"));
}

void DevInfoTest::versionsSortAsVersions() {
    const char* versions[] = {"V5.0.10", "V5.0.2 Build: 2026-10-23", "V10.1", "V5.0.9"};
    int i = 0;
    for (auto& [mac, entry] : m_devices) {
        entry.version = versions[i++];
    }
    MakePage();
    m_page->SortByColumn(kColVersion);
    QCOMPARE(Column(kColVersion), QStringList({"V5.0.2 Build: 2026-10-23", "V5.0.9", "V5.0.10", "V10.1"}));
    m_page->SortByColumn(kColVersion);
    QCOMPARE(Column(kColVersion), QStringList({"V10.1", "V5.0.10", "V5.0.9", "V5.0.2 Build: 2026-10-23"}));
}

void DevInfoTest::rowNumberHeaderDoesNothing() {
    MakePage();
    m_page->SortByColumn(kColTcpPort);
    const QStringList before = Column(kColMac);
    m_page->SortByColumn(kColNo);
    QCOMPARE(Column(kColMac), before);
}

void DevInfoTest::columnMaskHidesAndShowsColumns() {
    MakePage(0x2007);
    CMyColorListCtrlEx* list = m_page->List();
    QVERIFY(!list->isColumnHidden(kColIp));
    QVERIFY(list->isColumnHidden(kColType));
    QVERIFY(!list->isColumnHidden(kColNo));
    m_page->OnColumnMask(0x2007 | 0x8);
    QVERIFY(!list->isColumnHidden(kColType));
    QCOMPARE(list->GetColumnWidth(kColType), 70);
    QCOMPARE(m_page->ColumnMask(), 0x200FU);
    // A mask below 2 is ignored.
    m_page->OnColumnMask(1);
    QCOMPARE(m_page->ColumnMask(), 0x200FU);
    QVERIFY(!list->isColumnHidden(kColIp));
}

void DevInfoTest::loginStateByMacAndPortRedraw() {
    MakePage();
    // A login in the session's table, from a batch's thread or this one,
    // redraws the cell.
    m_session.Logins().Begin("00-00-00-00-00-03", DeviceLogin{nullptr, 7, "admin", "pw"});
    QCOMPARE(m_page->List()->GetItemText(2, kColLoginState), QString("tx.Logined"));
    std::thread([this] { m_session.Logins().End("00-00-00-00-00-03"); }).join();
    QCOMPARE(m_page->List()->GetItemText(2, kColLoginState), QString("tx.Logined"));
    QTRY_COMPARE(m_page->List()->GetItemText(2, kColLoginState), QString("tx.unLogin"));

    m_devices["00-00-00-00-00-01"].tcpPort = 4000;
    m_devices["00-00-00-00-00-01"].webPort = 8000;
    m_devices["00-00-00-00-00-02"].webPort = 8001;
    m_page->OnRecordsChanged();
    QCOMPARE(m_page->List()->GetItemText(0, kColTcpPort), QString("4000"));
    QCOMPARE(m_page->List()->GetItemText(0, kColHttpPort), QString("8000"));
    QCOMPARE(m_page->List()->GetItemText(0, kColOnvifPort), QString("8000"));
    QCOMPARE(m_page->List()->GetItemText(1, kColOnvifPort), QString("--")); // ONVIF off
}

void DevInfoTest::searchRequestIsRefusedWhileABatchRuns() {
    MakePage();
    auto* search = m_page->findChild<CxSkinButton*>("searchButton");
    QTest::mouseClick(search, Qt::LeftButton);
    QCOMPARE(m_requests, 1);
    QVERIFY(m_tips.isEmpty());
    QTRY_VERIFY(!m_session.IsSearching());
    const auto lease = m_session.HoldRecords();
    QTest::mouseClick(search, Qt::LeftButton);
    QCoreApplication::processEvents();
    QCOMPARE(m_requests, 1);
    QCOMPARE(m_tips.size(), 1);
    QCOMPARE(m_tips[0].text, QString("info.Configuring_wait"));
    QCOMPARE(m_tips[0].title, QString("msg.Msg"));
    // The periodic timer's quiet request is dropped without a word.
    QCOMPARE(m_session.RequestSearch(SearchTrigger::Periodic).refusal, "info.Configuring_wait");
    QCOMPARE(m_requests, 1);
    QCOMPARE(m_tips.size(), 1);
}

void DevInfoTest::searchStartEmptiesTheList() {
    MakePage();
    auto* search = m_page->findChild<CxSkinButton*>("searchButton");
    m_page->OnSearchStart();
    QCOMPARE(m_page->List()->GetItemCount(), 0);
    QVERIFY(!search->isEnabled());
    QCOMPARE(search->ForcedLook(), int(kLookDisabled));
    m_devices.clear();
    m_page->OnSearchEnd();
    QCOMPARE(m_page->List()->GetItemCount(), 0);
    QVERIFY(search->isEnabled());
    QCOMPARE(search->ForcedLook(), int(kLookNone));
}

namespace {

// The x of the divider right of a column, in the header's viewport.
QPoint DividerOf(const QHeaderView* header, int column) {
    return {header->sectionViewportPosition(column) + header->sectionSize(column) - 1, header->height() / 2};
}

void Mouse(QHeaderView* header, QEvent::Type type, QPoint at, Qt::MouseButtons held) {
    QMouseEvent event(type, at, header->viewport()->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
    QCoreApplication::sendEvent(header->viewport(), &event);
}

QString SavedWidth(const TestProgramFolder& folder, int column) {
    return QString::fromStdString(folder.GetConfig("DEVINFO_CFG", "Dev_Widths")).split(',').value(column);
}

} // namespace

void DevInfoTest::columnWidthsAreDraggedFittedAndKept() {
    TestProgramFolder folder;
    const auto load = [&folder] {
        AppConfig config;
        LoadConfig(config, folder.Path(), [](const char*) {});
        return config;
    };
    AppConfig config = load();
    m_devices["00-00-00-00-00-04"].cloudId = "39feef000e4a1b2c";
    const uint32_t withoutType = 0x23FF & ~(1U << kColType);
    const auto makePage = [this](AppConfig& from) {
        m_page = std::make_unique<CDlgDevInfo>(nullptr, m_session, QFont(), false, from.DevInfoMask, &from);
        m_page->resize(1030, 640);
        m_page->OnSearchEnd();
        m_page->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    };
    SaveDevInfoMask(config, withoutType);
    makePage(config);
    CMyColorListCtrlEx* list = m_page->List();
    QHeaderView* header = list->Header();

    // A mouse drag on the MAC column's divider widens it; the hidden type
    // column beside it stays hidden and cannot be fitted open either.
    const QPoint from = DividerOf(header, kColMac);
    Mouse(header, QEvent::MouseButtonPress, from, Qt::LeftButton);
    Mouse(header, QEvent::MouseMove, from + QPoint(40, 0), Qt::LeftButton);
    Mouse(header, QEvent::MouseButtonRelease, from + QPoint(40, 0), Qt::NoButton);
    QCOMPARE(list->GetColumnWidth(kColMac), 160);
    list->FitColumnToContents(kColType);
    QVERIFY(list->isColumnHidden(kColType));
    QCOMPARE(header->sectionResizeMode(kColType), QHeaderView::Fixed);

    // A double click on the cloud id's divider fits the whole id.
    header->resizeSection(kColCloud, 40);
    QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, DividerOf(header, kColCloud));
    const int margin = list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
    const int cloudWidth = list->GetColumnWidth(kColCloud);
    QVERIFY2(cloudWidth >= list->fontMetrics().horizontalAdvance("39feef000e4a1b2c") + 2 * margin,
             qPrintable(QString::number(cloudWidth)));
    QTRY_COMPARE(SavedWidth(folder, kColCloud), QString::number(cloudWidth));
    QCOMPARE(SavedWidth(folder, kColMac), QString("160"));
    QCOMPARE(SavedWidth(folder, kColType), QString("0"));

    // A restart reads them back; a language switch and a mask change that
    // hides and shows the column keep them.
    AppConfig reloaded = load();
    makePage(reloaded);
    list = m_page->List();
    QCOMPARE(list->GetColumnWidth(kColCloud), cloudWidth);
    QCOMPARE(list->GetColumnWidth(kColMac), 160);
    const QString englishHeader =
        list->Model()->headerData(kColCloud, Qt::Horizontal, Qt::DisplayRole).toString();
    Tool::LoadLanguage(8, folder.Path());
    QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::LanguageChange));
    QTRY_VERIFY(list->Model()->headerData(kColCloud, Qt::Horizontal, Qt::DisplayRole).toString() !=
                englishHeader);
    Tool::LoadLanguage(0, folder.Path());
    QCOMPARE(list->GetColumnWidth(kColCloud), cloudWidth);
    m_page->OnColumnMask(withoutType & ~(1U << kColCloud));
    QVERIFY(list->isColumnHidden(kColCloud));
    m_page->OnColumnMask(0x23FF);
    QCOMPARE(list->GetColumnWidth(kColCloud), cloudWidth);
    QCOMPARE(list->GetColumnWidth(kColType), kDeviceColumns[kColType].width);
}

QTEST_MAIN(DevInfoTest)
#include "tst_dev_info.moc"
