// The device list page's actions against the simulator of the device lab
// (devlist_lab.lab): network changes over CFG.V3 and CFG.V2, the time-out of
// a silent device, logins, the context menu, export, model change, the QR
// picture and the web page, answered through the seams.
#include "devlist/device_actions.h"
#include "devlist/device_columns.h"
#include "devlist/device_commands.h"
#include "devlist/dlg_dev_info.h"
#include "devlist/dlg_modify_model.h"
#include "devlist/dlg_modify_network.h"
#include "lang/tool_language.h"
#include "operate/dlg_login_local.h"
#include "program_folder.h"
#include "qr_picture_reader.h"
#include "sdk/config_file.h"
#include "sdk/sdk.h"
#include "session/device_session.h"
#include "session/search_scheduler.h"
#include "ui/color_list_ctrl.h"
#include "ui/dlg_tip.h"
#include "ui/file_dialog.h"
#include "ui/ip_address_ctrl.h"
#include "ui/lang_text.h"
#include "ui/skin_button.h"
#include "ui/url_opener.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

constexpr int kRowV3 = 0;
constexpr int kRowV2 = 1;
constexpr int kRowSilent = 2;
constexpr uint32_t kAllColumns = 0x3FFF;

// The commands of a menu and its submenus, in order.
QList<int> Commands(const QMenu& menu) {
    QList<int> commands;
    for (QAction* action : menu.actions()) {
        if (action->menu() != nullptr) {
            commands += Commands(*action->menu());
        } else {
            commands.append(action->data().toInt());
        }
    }
    return commands;
}

// The text of the QR code a picture label shows, read by an independent decoder.
std::string DecodedQr(const QLabel& picture) {
    const QImage image = picture.pixmap().toImage().convertToFormat(QImage::Format_RGB32);
    qrtest::Picture grey;
    grey.width = image.width();
    grey.height = image.height();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int green = qGreen(image.pixel(x, y)) * 31 / 255;
            grey.pixels.push_back(static_cast<uint16_t>(green << 5));
        }
    }
    return qrtest::DecodeWithZbar(grey, 1).value_or(std::string());
}

} // namespace

class DeviceActionsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    // In this order: the last two change the simulated devices' addresses.
    void webPageOpensThroughTheSeam();
    void qrPictureFollowsTheSelection();
    void loginFromTheMenuReportsFailureAndAlreadyLoggedIn();
    void contextMenuFollowsTheDevice();
    void exportProposesTheNameAndWritesALoadableFile();
    void modelChangeRoundTrip();
    void silentDeviceTimesOutAndEverythingElseWaits();
    void networkChangesOverV3AndV2ReachTheNextSearch();

private:
    void Search();
    QString Cell(int row, int column) const { return m_page->List()->GetItemText(row, column); }
    void Select(int row);
    // Waits for the next tip and returns its text.
    QString NextTip();

    std::unique_ptr<TestProgramFolder> m_folder;
    QTemporaryDir m_dataHome;
    std::unique_ptr<DeviceSession> m_session;
    std::unique_ptr<CDlgDevInfo> m_page;
    QList<TipRequest> m_tips;
    int m_tipsRead = 0;
    QList<LoginPromptRequest> m_logins;
    std::string m_loginPassword;
    bool m_loginCancels = false;
};

void DeviceActionsTest::initTestCase() {
    m_folder = std::make_unique<TestProgramFolder>();
    Tool::LoadLanguage(0, m_folder->Path());
    // The QR folder lives under the data home: keep it in the test's own.
    qputenv("XDG_DATA_HOME", m_dataHome.path().toLocal8Bit());
}

void DeviceActionsTest::init() {
    m_tips.clear();
    m_tipsRead = 0;
    m_logins.clear();
    m_loginPassword = "secret";
    m_loginCancels = false;
    CDlgTip::SetAnswerer([this](const TipRequest& request) {
        m_tips.append(request);
        return int(kTipOk);
    });
    CDlgLoginLocal::SetAnswerer(
        [this](const LoginPromptRequest& request, std::string& user, std::string& password) {
            m_logins.append(request);
            user = "admin";
            password = m_loginPassword;
            return !m_loginCancels;
        });
    m_session = std::make_unique<DeviceSession>();
    SearchTiming timing;
    timing.phaseMs = 600;
    timing.resendMs = 60;
    timing.pauseMs = 10;
    m_session->SetSearchOptions(DiscoveryEndpoints{}, timing, "");
    m_page = std::make_unique<CDlgDevInfo>(nullptr, *m_session, QFont(), true, kAllColumns);
    m_page->resize(1000, 600);
    m_page->show();
    Search();
    QCOMPARE(m_page->List()->GetItemCount(), 3);
}

void DeviceActionsTest::cleanup() {
    // Nothing may still run when a test ends.
    QTRY_VERIFY_WITH_TIMEOUT(!m_session->IsOperationRunning(), 5000);
    // The simulated devices take a few sessions each: give them back.
    m_session->Logins().EndAll();
    m_page.reset();
    m_session.reset();
    CDlgTip::SetAnswerer({});
    CDlgLoginLocal::SetAnswerer({});
    CDlgModifyNetworkNew::SetAnswerer({});
    CDlgModifyModel::SetAnswerer({});
    CDeviceActions::SetMenuChooser({});
    FileDialog::SetAnswerer({});
    UrlOpener::SetOpener({});
}

void DeviceActionsTest::Search() {
    QSignalSpy finished(m_session.get(), &DeviceSession::SearchFinished);
    QVERIFY(m_session->StartSearch());
    QVERIFY(finished.wait(10000));
    QTRY_COMPARE(m_page->List()->GetItemCount(), m_session->DeviceCount());
}

void DeviceActionsTest::Select(int row) {
    m_page->List()->setCurrentIndex(m_page->List()->model()->index(row, 0));
}

QString DeviceActionsTest::NextTip() {
    [&] { QTRY_VERIFY_WITH_TIMEOUT(m_tips.size() > m_tipsRead, 8000); }();
    return m_tips.size() > m_tipsRead ? m_tips[m_tipsRead++].text : QString();
}

void DeviceActionsTest::networkChangesOverV3AndV2ReachTheNextSearch() {
    // Log the CFG.V3 device in first: the change must give that login up.
    m_page->Actions()->RunCommand(kCmdLogin, kRowV3, 2);
    QTRY_COMPARE(Cell(kRowV3, kColLoginState), LangText("tx.Logined"));
    const int handle = m_session->Logins().Handle("02-C0-00-00-00-01");
    QVERIFY(handle > 0);

    CDlgModifyNetworkNew::SetAnswerer([](CDlgModifyNetworkNew& dialog) {
        if (!dialog.IsExtended()) {
            return 2;
        }
        dialog.findChild<QLineEdit*>("adminPasswordEdit")->setText("secret");
        dialog.findChild<CIpAddressCtrl*>("ipAddress")->SetText("10.77.17.1");
        dialog.findChild<CIpAddressCtrl*>("dns1Address")->SetText("10.77.0.53");
        dialog.OnOk();
        return dialog.result();
    });
    QSignalSpy changed(m_session.get(), &DeviceSession::NetworkChanged);
    Select(kRowV3);
    m_page->findChild<CxSkinButton*>("netButton")->click();
    QCOMPARE(NextTip(), LangText("msg.cfg_v3_clear_password")); // agreed to
    QCOMPARE(NextTip(), LangText("info.operate_success"));
    // The row shows the new address and the login is given up at once.
    QCOMPARE(Cell(kRowV3, kColIp), QString("10.77.17.1"));
    QCOMPARE(Cell(kRowV3, kColLoginState), LangText("tx.unLogin"));
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed[0][0].toString(), QString("02-C0-00-00-00-01"));
    const DeviceEntry& v3 = m_session->Devices().at("02-C0-00-00-00-01");
    QCOMPARE(v3.dns1, std::string("10.77.0.53"));
    QVERIFY(!m_session->IsLoggedIn(v3.mac));
    QCOMPARE(m_session->Logins().ParkedHandles(), std::vector<int32_t>{handle});

    // CFG.V2: the short form; only address, gateway and mask are sent.
    CDlgModifyNetworkNew::SetAnswerer([](CDlgModifyNetworkNew& dialog) {
        if (dialog.IsExtended() || dialog.findChild<QLineEdit*>("adminPasswordEdit")->isVisibleTo(&dialog) ||
            dialog.findChild<CIpAddressCtrl*>("dns1Address")->isVisibleTo(&dialog) ||
            dialog.height() != 290) {
            return 2;
        }
        dialog.findChild<CIpAddressCtrl*>("ipAddress")->SetText("10.77.18.2");
        dialog.OnOk();
        return dialog.result();
    });
    m_page->Actions()->RunCommand(kCmdNetwork, kRowV2, 2);
    QCOMPARE(NextTip(), LangText("info.operate_success"));
    QCOMPARE(Cell(kRowV2, kColIp), QString("10.77.18.2"));

    // The next search logs the parked handle out and finds both devices at
    // their new addresses.
    Search();
    QVERIFY(m_session->Logins().ParkedHandles().empty());
    QCOMPARE(m_session->Devices().at("02-C0-00-00-00-01").ip, std::string("10.77.17.1"));
    QCOMPARE(m_session->Devices().at("02-C0-00-00-00-01").dns1, std::string("10.77.0.53"));
    QCOMPARE(m_session->Devices().at("02-C0-00-00-00-02").ip, std::string("10.77.18.2"));
    QCOMPARE(m_tips.size(), 3); // no warning for CFG.V2, which carries no password
}

void DeviceActionsTest::silentDeviceTimesOutAndEverythingElseWaits() {
    CDlgModifyNetworkNew::SetAnswerer([](CDlgModifyNetworkNew& dialog) {
        dialog.findChild<QLineEdit*>("adminPasswordEdit")->setText("pw3");
        dialog.findChild<CIpAddressCtrl*>("ipAddress")->SetText("10.77.19.3");
        dialog.OnOk();
        return dialog.result();
    });
    m_page->Actions()->RunCommand(kCmdNetwork, kRowSilent, 2);
    QCOMPARE(NextTip(), LangText("msg.cfg_v3_clear_password"));
    // The exchange runs off the window thread: the page keeps answering
    // and refuses everything else meanwhile.
    QVERIFY(m_session->IsOperationRunning());
    m_page->findChild<CxSkinButton*>("searchButton")->click();
    QCOMPARE(NextTip(), LangText("info.Configuring_wait"));
    // The periodic search: refused, without a message.
    QVERIFY(!m_session->RequestSearch(SearchTrigger::Periodic));
    Select(kRowV2);
    m_page->findChild<CxSkinButton*>("exportButton")->click();
    QCOMPARE(NextTip(), LangText("info.Configuring_wait"));
    m_page->Actions()->RunCommand(kCmdLogin, kRowV3, 2);
    QCOMPARE(NextTip(), LangText("info.Configuring_wait"));
    QVERIFY(!m_session->IsSearching());
    QCOMPARE(NextTip(), LangText("info.operate_timeout"));
    QCOMPARE(m_session->Devices().at("02-C0-00-00-00-03").ip, std::string("10.77.16.3"));
    QCOMPARE(Cell(kRowSilent, kColIp), QString("10.77.16.3"));
    QVERIFY(m_logins.isEmpty());
}

void DeviceActionsTest::loginFromTheMenuReportsFailureAndAlreadyLoggedIn() {
    m_loginPassword = "wrong";
    m_page->Actions()->RunCommand(kCmdLogin, kRowV3, 2);
    const QString expected = QString::fromStdString(Tool::FormatText(
        LangText("info.login_fail_s").toStdString(), LangText("info.login_password_err").toStdString()));
    QCOMPARE(NextTip(), expected);
    QCOMPARE(m_logins.size(), 1);
    QVERIFY(m_logins[0].showAddress);
    QCOMPARE(m_logins[0].address, std::string("10.77.16.1"));
    QCOMPARE(m_logins[0].captionKey, std::string("msg.Login"));
    QCOMPARE(Cell(kRowV3, kColLoginState), LangText("tx.unLogin"));

    // Cancelled: nothing is said.
    m_loginCancels = true;
    m_page->Actions()->RunCommand(kCmdLogin, kRowV3, 2);
    QTRY_VERIFY(!m_session->IsOperationRunning());
    QCOMPARE(m_tips.size(), 1);

    // A double click on the login column logs in; the menu then says so.
    m_loginCancels = false;
    m_loginPassword = "secret";
    m_page->Actions()->OnDoubleClick(kRowV3, kColLoginState);
    QTRY_COMPARE(Cell(kRowV3, kColLoginState), LangText("tx.Logined"));
    QTRY_VERIFY(!m_session->IsOperationRunning());
    m_page->Actions()->RunCommand(kCmdLogin, kRowV3, 2);
    QCOMPARE(NextTip(), LangText("msg.Already_logined"));
    QCOMPARE(m_logins.size(), 3);
}

void DeviceActionsTest::contextMenuFollowsTheDevice() {
    QList<int> shown;
    int choose = 0;
    CDeviceActions::SetMenuChooser([&](QMenu& menu) {
        shown = Commands(menu);
        return choose;
    });
    CDeviceActions& actions = *m_page->Actions();
    // Without ONVIF: no preview submenu; model change allowed (bit 0, mode on).
    actions.OnContextMenu(kRowV3, kColMac, {});
    QCOMPARE(shown, (QList<int>{kCmdLogin, kCmdNetwork, kCmdOpenWeb, kCmdExport, kCmdModifyModel, kCmdCopy}));
    // In the login column there is nothing to copy.
    actions.OnContextMenu(kRowV3, kColLoginState, {});
    QVERIFY(!shown.contains(kCmdCopy));
    // ONVIF, no model bit: the preview submenu and no model change.
    actions.OnContextMenu(kRowV2, kColMac, {});
    QCOMPARE(shown, (QList<int>{kCmdLogin, kCmdNetwork, kCmdMainStream, kCmdSubStream, kCmdSnapshot,
                                kCmdOpenWeb, kCmdExport, kCmdCopy}));

    choose = kCmdCopy;
    actions.OnContextMenu(kRowV2, kColMac, {});
    QCOMPARE(QApplication::clipboard()->text(), QString("02-C0-00-00-00-02"));

    // The preview logs in, then opens its window (modal: a timer closes it).
    m_loginPassword = "pw2";
    choose = kCmdSubStream;
    int previews = 0;
    QTimer closer;
    connect(&closer, &QTimer::timeout, [&] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->objectName() == "preview" && window->isVisible()) {
                ++previews;
                QTest::mouseClick(window->findChild<CxSkinButton*>("closeButton"), Qt::LeftButton);
            }
        }
    });
    closer.start(50);
    actions.OnContextMenu(kRowV2, kColMac, {});
    QTRY_COMPARE(previews, 1);
    QCOMPARE(Cell(kRowV2, kColLoginState), LangText("tx.Logined")); // the login stays
}

void DeviceActionsTest::exportProposesTheNameAndWritesALoadableFile() {
    QTemporaryDir out;
    QList<FileDialogRequest> asked;
    // Typed without an extension: the default one is added.
    const QString path = out.filePath("device");
    FileDialog::SetAnswerer([&](const FileDialogRequest& request) {
        asked.append(request);
        return path;
    });
    m_page->findChild<CxSkinButton*>("exportButton")->click();
    QCOMPARE(NextTip(), LangText("msg.Sel_one_dev_first"));
    const QString today = QDateTime::currentDateTime().toString("yyyyMMdd");
    Select(kRowV3);
    m_page->findChild<CxSkinButton*>("exportButton")->click();
    QCOMPARE(NextTip(), LangText("info.operate_success"));
    QCOMPARE(asked.size(), 1);
    QVERIFY(asked[0].save);
    // No "Build:" in the version: the model names the file, a visible ".coi" one.
    QVERIFY2(asked[0].name.startsWith("IPC-A." + today) && asked[0].name.endsWith(".coi") &&
                 asked[0].name.size() == 24,
             qPrintable(asked[0].name));
    QVERIFY(asked[0].filter.contains("*.coi"));
    const auto file = sdkwire::ReadWholeFile((path + ".coi").toStdString(), 1 << 20);
    QVERIFY(file.has_value());
    QVERIFY(sdkwire::DecodeConfigFile(*file).has_value());

    // Cut at "Build:" for the other device; a cancelled dialog writes nothing.
    FileDialog::SetAnswerer([&](const FileDialogRequest& request) {
        asked.append(request);
        return QString();
    });
    m_loginPassword = "pw2";
    m_page->Actions()->RunCommand(kCmdExport, kRowV2, 2);
    QTRY_COMPARE(asked.size(), 2);
    QVERIFY2(asked[1].name.startsWith("V2.00." + today) && asked[1].name.endsWith(".coi"),
             qPrintable(asked[1].name));
    QTRY_VERIFY(!m_session->IsOperationRunning());
    QCOMPARE(m_tips.size(), 2);
}

void DeviceActionsTest::modelChangeRoundTrip() {
    CDlgModifyModel::SetAnswerer([](const std::string& mac, const std::string& model, std::string& newModel) {
        newModel = mac == "02-C0-00-00-00-01" && model == "IPC-A" ? "IPC-B2" : "";
        return true;
    });
    m_page->Actions()->RunCommand(kCmdModifyModel, kRowV3, 2);
    QCOMPARE(NextTip(), LangText("info.operate_success"));
    QCOMPARE(Cell(kRowV3, kColModel), QString("IPC-B2"));
    QCOMPARE(m_session->Devices().at("02-C0-00-00-00-01").model, std::string("IPC-B2"));
    // The device keeps it: the next search reports it.
    Search();
    QCOMPARE(m_session->Devices().at("02-C0-00-00-00-01").model, std::string("IPC-B2"));
}

void DeviceActionsTest::qrPictureFollowsTheSelection() {
    auto* picture = m_page->findChild<QLabel*>("qrPicture");
    CMyColorListCtrlEx* list = m_page->List();
    const auto cellAt = [list](int row) {
        return list->visualRect(list->model()->index(row, kColMac)).center();
    };
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cellAt(kRowV3));
    QTRY_VERIFY(picture->isVisible());
    QCOMPARE(DecodedQr(*picture), std::string("CVN1234567890ABC"));
    // Beside the list, never over it: the login column stays reachable.
    QVERIFY(!picture->geometry().intersects(list->geometry()));

    // A right click selects the other row: the picture follows it.
    CDeviceActions::SetMenuChooser([](QMenu&) { return 0; });
    QTest::mouseClick(list->viewport(), Qt::RightButton, {}, cellAt(kRowSilent));
    CDeviceActions::SetMenuChooser({});
    QVERIFY(list->selectionModel()->isRowSelected(kRowSilent, {}));
    QVERIFY(!list->selectionModel()->isRowSelected(kRowV3, {}));
    QTRY_COMPARE(DecodedQr(*picture), std::string("CVNSILENT0000003"));

    // Empty space clears the selection, and the list takes the room back.
    const int narrowWidth = list->width();
    const QPoint below(10, list->visualRect(list->model()->index(kRowSilent, kColMac)).bottom() + 40);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, below);
    QTRY_VERIFY(!picture->isVisible());
    QVERIFY(list->width() > narrowWidth);

    // A FIND that filters the selected row out hides it.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cellAt(kRowV3));
    QTRY_VERIFY(picture->isVisible());
    m_page->findChild<QLineEdit*>("findEdit")->setText("10.77.16.2");
    QTest::mouseClick(m_page->findChild<CxSkinButton*>("findButton"), Qt::LeftButton);
    QCOMPARE(list->GetItemCount(), 1);
    QTRY_VERIFY(!picture->isVisible());

    // "-- --" is no cloud id.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cellAt(0));
    QVERIFY(list->selectionModel()->hasSelection());
    QVERIFY(!picture->isVisible());
}

void DeviceActionsTest::webPageOpensThroughTheSeam() {
    QList<QUrl> opened;
    UrlOpener::SetOpener([&](const QUrl& url) {
        opened.append(url);
        return true;
    });
    CMyColorListCtrlEx* list = m_page->List();
    const QRect cell = list->visualRect(list->model()->index(kRowV2, kColIp));
    // A double click is a press and release followed by the double-click press.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(opened, (QList<QUrl>{QUrl("http://10.77.16.2:80")}));
    // Other columns do nothing on a double click.
    m_page->Actions()->OnDoubleClick(kRowV2, kColMac);
    QCOMPARE(opened.size(), 1);
    QVERIFY(m_tips.isEmpty());
    // Without a browser the page says so, with the address.
    UrlOpener::SetOpener([&](const QUrl& url) {
        opened.append(url);
        return false;
    });
    m_page->Actions()->RunCommand(kCmdOpenWeb, kRowV2, kColMac);
    QCOMPARE(opened.size(), 2);
    QCOMPARE(NextTip(), LangText("info.Open_web_fail").replace("%s", "http://10.77.16.2:80"));
    UrlOpener::SetOpener({});
}

QTEST_MAIN(DeviceActionsTest)
#include "tst_device_actions.moc"
