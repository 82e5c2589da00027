// The device list across searches, against simulated devices served on
// ports of the test's own inside its namespace: rows appear as replies come
// in, and a quiet (periodic) search keeps the user's view.
#include "devlist/device_actions.h"
#include "devlist/device_columns.h"
#include "devlist/dlg_dev_info.h"
#include "population.h"
#include "session/device_session.h"
#include "udp_server.h"
#include "ui/color_list_ctrl.h"
#include "ui/dlg_tip.h"
#include "ui/lang_text.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>
#include <atomic>
#include <memory>
#include <thread>

namespace {

constexpr uint16_t kDevicePort = 26000;
constexpr uint16_t kReplyPort = 26001;
constexpr uint16_t kSendPort = 26003;
constexpr int kDevices = 8;

} // namespace

class QuietSearchTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void rowsAppearAsTheRepliesComeIn();
    void quietSearchKeepsFilterSelectionAndOrder();
    void silentDeviceIsGreyedOnceThenRemoved();

private:
    void Search(bool quiet);
    QStringList ShownMacs() const;
    void SetAway(std::size_t device, bool away);
    std::string MacOf(std::size_t device) const;

    std::unique_ptr<UdpResponder> m_responder;
    std::unique_ptr<UdpServer> m_server;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    std::unique_ptr<DeviceSession> m_session;
    std::unique_ptr<CDlgDevInfo> m_page;
    Lab m_lab;
};

void QuietSearchTest::init() {
    m_lab = GeneratePopulation(kDevices, 5);
    m_responder = std::make_unique<UdpResponder>(m_lab);
    UdpServerOptions options;
    options.listenPort = kDevicePort;
    options.replyTo = {net::kLoopbackAddress, kReplyPort};
    m_server = std::make_unique<UdpServer>(*m_responder, options);
    QVERIFY(m_server->Open());
    m_stop = false;
    m_thread = std::thread([this] { m_server->Run(m_stop); });

    m_session = std::make_unique<DeviceSession>();
    DiscoveryEndpoints endpoints;
    endpoints.destination = {net::kLoopbackAddress, kDevicePort};
    endpoints.sendPort = kSendPort;
    endpoints.receivePort = kReplyPort;
    SearchTiming timing;
    timing.phaseMs = 600;
    timing.resendMs = 150;
    m_session->SetSearchOptions(endpoints, timing, "");
    m_page = std::make_unique<CDlgDevInfo>(nullptr, *m_session, QFont(), false, 0xFFFFFFFFu);
    m_page->resize(1030, 640);
    m_page->show(); // the page on screen rebuilds at once after an explicit search
}

void QuietSearchTest::cleanup() {
    m_page.reset();
    m_session.reset();
    m_stop = true;
    m_thread.join();
    m_server.reset();
    m_responder.reset();
}

void QuietSearchTest::Search(bool quiet) {
    QSignalSpy done(m_session.get(),
                    quiet ? &DeviceSession::QuietSearchFinished : &DeviceSession::SearchFinished);
    QVERIFY(m_session->StartSearch(quiet));
    QVERIFY(done.wait(5000));
}

QStringList QuietSearchTest::ShownMacs() const {
    QStringList macs;
    for (int row = 0; row < m_page->List()->GetItemCount(); ++row) {
        macs << QString::fromStdString(m_page->EntryAt(row)->mac);
    }
    return macs;
}

std::string QuietSearchTest::MacOf(std::size_t device) const {
    const auto& mac = m_lab.devices[device].fields.mac;
    return QString::asprintf("%02X-%02X-%02X-%02X-%02X-%02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5])
        .toStdString();
}

void QuietSearchTest::SetAway(std::size_t device, bool away) {
    m_responder->UpdateDevice(device, [away](SimDevice& sim) { sim.away = away; });
}

void QuietSearchTest::rowsAppearAsTheRepliesComeIn() {
    QSignalSpy finished(m_session.get(), &DeviceSession::SearchFinished);
    auto* count = m_page->findChild<QLabel*>("countLabel");
    QVERIFY(m_session->StartSearch(false));
    // Every device is listed, and counted, within the V1 phase...
    QTRY_COMPARE_WITH_TIMEOUT(m_page->List()->GetItemCount(), kDevices, 500);
    QCOMPARE(count->text(), QString::number(kDevices));
    QCOMPARE(finished.count(), 0);
    // The records change when the search ends: no action takes one meanwhile.
    QStringList tips;
    CDlgTip::SetAnswerer([&tips](const TipRequest& request) {
        tips << request.text;
        return int(kTipOk);
    });
    m_page->Actions()->OnDoubleClick(0, kColLoginState);
    CDlgTip::SetAnswerer({});
    QCOMPARE(tips, QStringList{LangText("info.Searching_wait")});
    // ...and its V3 texts show as soon as they are in, before the end.
    const int row = 0;
    QCOMPARE(m_page->List()->GetItemText(row, kColCloud), QString(kNoTextPlaceholder));
    QTRY_VERIFY_WITH_TIMEOUT(m_page->List()->GetItemText(row, kColCloud) != kNoTextPlaceholder, 1000);
    QCOMPARE(finished.count(), 0);
    QVERIFY(finished.wait(3000));
    QCOMPARE(m_page->List()->GetItemCount(), kDevices);
}

void QuietSearchTest::quietSearchKeepsFilterSelectionAndOrder() {
    Search(false);
    QCOMPARE(m_page->List()->GetItemCount(), kDevices);
    // Filter, then sort by IP, descending: a subset in a non-key order.
    const QString needle = QString::fromStdString(m_session->Devices().begin()->second.ip).left(9);
    m_page->findChild<QLineEdit*>("findEdit")->setText(needle);
    m_page->Find();
    m_page->SortByColumn(kColIp);
    m_page->SortByColumn(kColIp);
    const QStringList shown = ShownMacs();
    QVERIFY(!shown.isEmpty());
    m_page->List()->setCurrentIndex(m_page->List()->Model()->index(shown.size() - 1, 1));
    const DeviceEntry* selected = m_page->EntryAt(shown.size() - 1);

    QVERIFY(m_session->StartSearch(true));
    QCOMPARE(ShownMacs(), shown); // nothing is emptied while it runs
    QSignalSpy done(m_session.get(), &DeviceSession::QuietSearchFinished);
    QVERIFY(done.wait(5000));

    QCOMPARE(ShownMacs(), shown);
    QCOMPARE(m_page->EntryAt(m_page->List()->currentIndex().row()), selected);
    QCOMPARE(m_page->List()->header()->sortIndicatorSection(), int(kColIp));
    QCOMPARE(m_page->List()->header()->sortIndicatorOrder(), Qt::DescendingOrder);
    QVERIFY(m_page->List()->header()->isSortIndicatorShown());
    QCOMPARE(m_page->List()->GetItemText(0, kColNo), QString("1"));
}

void QuietSearchTest::silentDeviceIsGreyedOnceThenRemoved() {
    Search(false);
    const std::string gone = MacOf(2);
    const DeviceEntry* kept = &m_session->Devices().at(MacOf(3));
    const auto rowOf = [this](const std::string& mac) {
        return ShownMacs().indexOf(QString::fromStdString(mac));
    };
    SetAway(2, true);

    Search(true);
    QCOMPARE(m_page->List()->GetItemCount(), kDevices);
    QVERIFY(m_session->IsMissing(gone));
    const QModelIndex cell = m_page->List()->Model()->index(rowOf(gone), kColIp);
    QVERIFY(cell.data(Qt::ForegroundRole).isValid());
    QVERIFY(!m_page->List()->Model()->index(rowOf(MacOf(3)), kColIp).data(Qt::ForegroundRole).isValid());

    Search(true);
    QCOMPARE(m_page->List()->GetItemCount(), kDevices - 1);
    QCOMPARE(rowOf(gone), -1);
    QCOMPARE(m_session->Devices().count(gone), 0u);
    QCOMPARE(&m_session->Devices().at(MacOf(3)), kept); // the others keep their records

    // Back again: listed at the next quiet search, not greyed.
    SetAway(2, false);
    Search(true);
    QCOMPARE(m_page->List()->GetItemCount(), kDevices);
    QVERIFY(!m_session->IsMissing(gone));
}

QTEST_MAIN(QuietSearchTest)
#include "tst_quiet_search.moc"
