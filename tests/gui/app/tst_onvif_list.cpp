// ONVIF devices in the device list, driven as a user drives the main window
// against the simulator of the device lab: one row per physical device
// whichever families found it, the login of an ONVIF device (digest, or
// WS-Security on a device whose clock is hours off) fills its row, a wrong
// password says so, the menu offers only what the family can do, and a
// device that announces itself later appears, and is greyed when it leaves;
// one that multicast does not reach is added by its address; an ONVIF
// device's network change moves its row once it answers at the new place.
#include "app/corvane_dlg.h"
#include "devlist/device_actions.h"
#include "devlist/device_columns.h"
#include "devlist/device_commands.h"
#include "devlist/dlg_add_address.h"
#include "devlist/dlg_dev_info.h"
#include "devlist/dlg_modify_network.h"
#include "operate/dlg_login_local.h"
#include "program_folder.h"
#include "session/device_session.h"
#include "ui/color_list_ctrl.h"
#include "ui/dlg_tip.h"
#include "ui/ip_address_ctrl.h"
#include "ui/lang_text.h"
#include "ui/skin_button.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <memory>

class OnvifListTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void bothFamiliesAreListedOnceAndAnOnvifLoginFillsTheRow();

private:
    int RowOf(const QString& ip) const;
    QString Cell(const QString& ip, int column) const {
        return m_page->List()->GetItemText(RowOf(ip), column);
    }

    std::unique_ptr<TestProgramFolder> m_folder;
    std::unique_ptr<CCorvaneDlg> m_window;
    CDlgDevInfo* m_page = nullptr;
    QList<TipRequest> m_tips;
    std::string m_password;
};

void OnvifListTest::init() {
    m_folder = std::make_unique<TestProgramFolder>();
    CDlgTip::SetAnswerer([this](const TipRequest& request) {
        m_tips.append(request);
        return int(kTipOk);
    });
    CDlgLoginLocal::SetAnswerer([this](const LoginPromptRequest&, std::string& user, std::string& password) {
        user = "admin";
        password = m_password;
        return true;
    });
}

void OnvifListTest::cleanup() {
    if (m_window) {
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->Session().IsOperationRunning(), 20000);
    }
    m_window.reset();
    CDlgTip::SetAnswerer({});
    CDlgLoginLocal::SetAnswerer({});
}

int OnvifListTest::RowOf(const QString& ip) const {
    for (int row = 0; row < m_page->List()->GetItemCount(); ++row) {
        if (m_page->List()->GetItemText(row, kColIp) == ip) {
            return row;
        }
    }
    return -1;
}

void OnvifListTest::bothFamiliesAreListedOnceAndAnOnvifLoginFillsTheRow() {
    MainWindowOptions options;
    options.programFolder = m_folder->Path();
    options.searchTiming.phaseMs = 700;
    options.searchTiming.resendMs = 60;
    options.searchTiming.pauseMs = 10;
    m_window = std::make_unique<CCorvaneDlg>(options);
    m_window->OnInitDialog();
    m_window->show();
    m_page = m_window->DevInfoPage();
    QTRY_VERIFY_WITH_TIMEOUT(m_window->IsSearching(), 3000);
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->IsSearching(), 15000);

    // Four devices, four rows: the one that speaks both is one native row.
    QCOMPARE(m_window->DeviceCount(), 4);
    QCOMPARE(m_page->List()->GetItemCount(), 4);
    QCOMPARE(Cell("10.77.16.2", kColMac), QString("02-0F-00-00-00-02"));
    QCOMPARE(Cell("10.77.16.3", kColHttpPort), QString("8080"));
    QCOMPARE(Cell("10.77.16.3", kColTcpPort), QString("--"));
    QCOMPARE(Cell("10.77.16.4", kColType), QString("IPC"));
    QCOMPARE(Cell("10.77.16.1", kColFamily), LangText("tx.Family_native"));
    QCOMPARE(Cell("10.77.16.2", kColFamily), LangText("tx.Family_native") + ", ONVIF");
    QCOMPARE(Cell("10.77.16.3", kColFamily), QString("ONVIF"));

    // An ONVIF-only camera offers its login, its preview and the export,
    // not the native operations (its network change comes with what a
    // login reads).
    const DeviceEntry* gate = m_page->EntryAt(RowOf("10.77.16.3"));
    QVERIFY(gate != nullptr);
    QMenu menu;
    m_page->Actions()->FillMenu(menu, *gate, kColIp);
    QList<int> commands;
    for (const QAction* action : menu.actions()) {
        commands.append(action->data().toInt());
    }
    QCOMPARE(commands, (QList<int>{kCmdLogin, 0, kCmdExport, kCmdCopy})); // 0: the preview submenu
    QList<int> previews;
    for (const QAction* action : menu.findChild<QMenu*>("tx.Preview")->actions()) {
        previews.append(action->data().toInt());
    }
    QCOMPARE(previews, (QList<int>{kCmdMainStream, kCmdSubStream, kCmdSnapshot}));

    // Digest on port 8080: logged in, and the row shows what the login read.
    m_password = "gate-pass";
    m_page->Actions()->RunCommand(kCmdLogin, RowOf("10.77.16.3"), kColIp);
    QTRY_COMPARE_WITH_TIMEOUT(Cell("10.77.16.3", kColLoginState), LangText("tx.Logined"), 10000);
    QTRY_COMPARE(Cell("10.77.16.3", kColVersion), QString("2.4.1"));
    // The login read its MAC: the record is keyed by it now, still logged in.
    QTRY_COMPARE(Cell("10.77.16.3", kColMac), QString("02-0F-00-00-00-03"));
    QVERIFY(m_window->Session().Devices().count("02-0F-00-00-00-03") == 1);
    QVERIFY(m_window->Session().IsLoggedIn("02-0F-00-00-00-03"));
    QCOMPARE(Cell("10.77.16.3", kColLoginState), LangText("tx.Logined"));

    // Its network changes through its own service, and the row moves once
    // the device answered at its new address.
    // The long form (DHCP and DNS servers) without the administrator
    // password: the device's login guards the change.
    bool longFormWithoutPassword = false;
    CDlgModifyNetworkNew::SetAnswerer([&longFormWithoutPassword](CDlgModifyNetworkNew& dialog) {
        longFormWithoutPassword =
            dialog.IsExtended() && dialog.findChild<QLineEdit*>("adminPasswordEdit")->isHidden();
        dialog.findChild<CIpAddressCtrl*>("ipAddress")->SetText("10.77.16.33");
        dialog.OnOk();
        return dialog.result();
    });
    const int tipsBefore = static_cast<int>(m_tips.size());
    m_page->Actions()->RunCommand(kCmdNetwork, RowOf("10.77.16.3"), kColIp);
    QTRY_VERIFY_WITH_TIMEOUT(m_tips.size() > tipsBefore, 20000);
    QCOMPARE(m_tips.last().text, LangText("info.operate_success"));
    QVERIFY(RowOf("10.77.16.33") >= 0);
    QVERIFY(longFormWithoutPassword);
    CDlgModifyNetworkNew::SetAnswerer({});

    // WS-Security only, the device's clock two hours ahead: a wrong password
    // is said as such; the right one logs in.
    m_password = "wrong";
    const int tips = static_cast<int>(m_tips.size());
    m_page->Actions()->RunCommand(kCmdLogin, RowOf("10.77.16.4"), kColIp);
    QTRY_VERIFY_WITH_TIMEOUT(m_tips.size() > tips, 10000);
    QVERIFY(m_tips.last().text.contains(LangText("info.login_password_err")));
    QCOMPARE(Cell("10.77.16.4", kColLoginState), LangText("tx.unLogin"));
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->Session().IsOperationRunning(), 5000);
    m_password = "yard-pass";
    m_page->Actions()->RunCommand(kCmdLogin, RowOf("10.77.16.4"), kColIp);
    QTRY_COMPARE_WITH_TIMEOUT(Cell("10.77.16.4", kColLoginState), LangText("tx.Logined"), 10000);
    QTRY_COMPARE(Cell("10.77.16.4", kColVersion), QString("3.1"));

    // The visitor says Hello some seconds after the start, and Bye later.
    QTRY_COMPARE_WITH_TIMEOUT(m_page->List()->GetItemCount(), 5, 15000);
    QVERIFY(RowOf("10.77.16.5") >= 0);
    const std::string visitor = DeviceKey(*m_page->EntryAt(RowOf("10.77.16.5")));
    QVERIFY(!m_window->Session().IsMissing(visitor));
    QTRY_VERIFY_WITH_TIMEOUT(m_window->Session().IsMissing(visitor), 15000);
    QCOMPARE(m_page->List()->GetItemCount(), 5);

    // The device beyond the multicast's reach: a wrong range is refused in
    // the dialog, the right one adds its row.
    QVERIFY(RowOf("10.77.16.6") < 0);
    auto* addButton = m_page->findChild<CxSkinButton*>("addAddressButton");
    QVERIFY(addButton != nullptr);
    addButton->click();
    CDlgAddAddress* dialog = nullptr;
    QTRY_VERIFY((dialog = m_page->findChild<CDlgAddAddress*>()) != nullptr);
    dialog->AddressEdit()->setText("10.77.16.9-5");
    dialog->ProbeButton()->click();
    QCOMPARE(dialog->StatusLabel()->text(), LangText("info.Address_range_bad"));
    dialog->AddressEdit()->setText("10.77.16.6-8");
    dialog->ProbeButton()->click();
    QVERIFY(!dialog->ProbeButton()->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(dialog->ProbeButton()->isEnabled(), 10000);
    QVERIFY(dialog->StatusLabel()->text().contains("1"));
    QVERIFY(RowOf("10.77.16.6") >= 0);
    QCOMPARE(Cell("10.77.16.6", kColFamily), QString("ONVIF"));
    dialog->close();
}

QTEST_MAIN(OnvifListTest)
#include "tst_onvif_list.moc"
