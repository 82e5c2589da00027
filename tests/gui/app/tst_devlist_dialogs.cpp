// The dialogs of the device list actions on their own: the IP address
// control, the network dialog's forms and rules, the login dialog's layout
// and the model dialog's text rules.
#include "devlist/dlg_modify_model.h"
#include "devlist/dlg_modify_network.h"
#include "lang/tool_language.h"
#include "operate/dlg_login_local.h"
#include "program_folder.h"
#include "ui/dlg_tip.h"
#include "ui/ip_address_ctrl.h"
#include "ui/lang_text.h"
#include "ui/skin_button.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <atomic>
#include <memory>
#include <thread>

namespace {

DeviceEntry Device(uint8_t capabilities, uint8_t dhcpMode) {
    DeviceEntry entry;
    entry.mac = "02-C0-00-00-00-09";
    entry.ip = "10.1.2.3";
    entry.mask = "255.0.0.0";
    entry.gateway = "10.0.0.1";
    entry.dns1 = "8.8.8.8";
    entry.dns2 = "8.8.4.4";
    entry.capabilities = capabilities;
    entry.dhcpMode = dhcpMode;
    return entry;
}

CIpAddressCtrl* Ip(QWidget& dialog, const char* name) {
    return dialog.findChild<CIpAddressCtrl*>(name);
}

// Types into whichever widget has the focus, as a user does.
void TypeIntoFocus(const QString& text) {
    for (const QChar c : text) {
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    }
}

} // namespace

class DevlistDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void ipControlMovesBetweenFieldsAndTakesAPaste();
    void networkDialogFormsAndDhcp();
    void typedAddressProposesGatewayAndMask();
    void okChecksTheAddressesAndCopiesBack();
    void loginDialogHidesTheAddressRowAndAnswersAWorker();
    void modelDialogKeepsNineteenBytesAndRefusesBadText();

private:
    std::unique_ptr<TestProgramFolder> m_folder;
    QList<TipRequest> m_tips;
};

void DevlistDialogsTest::initTestCase() {
    m_folder = std::make_unique<TestProgramFolder>();
    Tool::LoadLanguage(0, m_folder->Path());
}

void DevlistDialogsTest::init() {
    m_tips.clear();
    CDlgTip::SetAnswerer([this](const TipRequest& request) {
        m_tips.append(request);
        return int(kTipOk);
    });
}

void DevlistDialogsTest::cleanup() {
    CDlgTip::SetAnswerer({});
    CDlgLoginLocal::SetAnswerer({});
}

void DevlistDialogsTest::ipControlMovesBetweenFieldsAndTakesAPaste() {
    CIpAddressCtrl control;
    control.resize(200, 28);
    control.show();
    QVERIFY(QTest::qWaitForWindowActive(&control));
    QVERIFY(control.IsBlank());
    QCOMPARE(control.Value(), 0U);
    control.Field(0)->setFocus();
    // "." moves on, a full field moves on, values stay within 255.
    TypeIntoFocus("10.999");
    QCOMPARE(control.Field(0)->text(), QString("10"));
    QCOMPARE(control.Field(1)->text(), QString("255"));
    QCOMPARE(QApplication::focusWidget(), control.Field(2));
    TypeIntoFocus("3.4");
    QCOMPARE(control.Text(), QString("10.255.3.4"));
    QCOMPARE(control.Value(), 0x0AFF0304U);
    // Backspace at the start of a field goes back to the previous one.
    control.Field(3)->setCursorPosition(0);
    QTest::keyClick(control.Field(3), Qt::Key_Backspace);
    QCOMPARE(QApplication::focusWidget(), control.Field(2));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    QCOMPARE(control.Text(), QString("10.255.0.4"));
    // A pasted address fills all four fields.
    QGuiApplication::clipboard()->setText("192.168.1.20");
    control.Field(0)->setFocus();
    control.Field(0)->selectAll();
    QTest::keySequence(control.Field(0), QKeySequence::Paste);
    QCOMPARE(control.Text(), QString("192.168.1.20"));
    control.SetText({});
    QVERIFY(control.IsBlank());
    QCOMPARE(control.Text(), QString());
}

void DevlistDialogsTest::networkDialogFormsAndDhcp() {
    CDlgModifyNetworkNew extended;
    extended.SetEntry(Device(0x08, 1));
    QVERIFY(extended.IsExtended());
    QCOMPARE(extended.height(), 500);
    QVERIFY(extended.findChild<QLineEdit*>("adminPasswordEdit")->isVisibleTo(&extended));
    // DHCP ticked: address, mask and gateway greyed out; the DNS servers not.
    QVERIFY(extended.findChild<QCheckBox*>("dhcpCheck")->isChecked());
    QVERIFY(extended.InitialDhcp());
    QVERIFY(!Ip(extended, "ipAddress")->isEnabled());
    QVERIFY(!Ip(extended, "maskAddress")->isEnabled());
    QVERIFY(!Ip(extended, "gatewayAddress")->isEnabled());
    QVERIFY(Ip(extended, "dns1Address")->isEnabled());
    QCOMPARE(Ip(extended, "ipAddress")->y(), 198);
    // The greyed values are still checked and sent.
    extended.OnOk();
    QCOMPARE(extended.result(), 1);
    QCOMPARE(extended.Entry().dhcpMode, 1);
    QCOMPARE(extended.Entry().ip, std::string("10.1.2.3"));
    QCOMPARE(extended.Entry().dns2, std::string("8.8.4.4"));
    QVERIFY(extended.AdminPassword().empty());

    CDlgModifyNetworkNew shortForm;
    shortForm.SetEntry(Device(0x01, 7));
    QVERIFY(!shortForm.IsExtended());
    QCOMPARE(shortForm.height(), 290);
    QCOMPARE(Ip(shortForm, "ipAddress")->y(), 58);
    QCOMPARE(shortForm.findChild<CxSkinButton*>("okButton")->y(), 240);
    QVERIFY(!shortForm.findChild<QCheckBox*>("dhcpCheck")->isVisibleTo(&shortForm));
    QVERIFY(!Ip(shortForm, "dns2Address")->isVisibleTo(&shortForm));
    // Any other DHCP value leaves the box clear and the controls enabled.
    QVERIFY(Ip(shortForm, "ipAddress")->isEnabled());
    shortForm.OnOk();
    QCOMPARE(shortForm.Entry().dhcpMode, 2);
}

void DevlistDialogsTest::typedAddressProposesGatewayAndMask() {
    CDlgModifyNetworkNew dialog;
    dialog.SetEntry(Device(0x08, 2));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    CIpAddressCtrl* ip = Ip(dialog, "ipAddress");
    ip->Field(0)->setFocus();
    ip->Field(0)->selectAll();
    TypeIntoFocus("192.168.0.20");
    QCOMPARE(ip->Text(), QString("192.168.0.20"));
    QCOMPARE(Ip(dialog, "gatewayAddress")->Text(), QString("192.168.0.1"));
    QCOMPARE(Ip(dialog, "maskAddress")->Text(), QString("255.255.255.0"));
    // Editing the mask or gateway proposes nothing.
    Ip(dialog, "maskAddress")->Field(3)->setFocus();
    TypeIntoFocus("9");
    QCOMPARE(Ip(dialog, "gatewayAddress")->Text(), QString("192.168.0.1"));
    dialog.hide();
}

void DevlistDialogsTest::okChecksTheAddressesAndCopiesBack() {
    CDlgModifyNetworkNew dialog;
    dialog.SetEntry(Device(0x08, 2));
    dialog.show();
    // A gateway in another subnet keeps the dialog open.
    Ip(dialog, "gatewayAddress")->SetText("11.0.0.1");
    dialog.OnOk();
    QCOMPARE(m_tips.size(), 1);
    QCOMPARE(m_tips[0].text, LangText("info.IP_set_error"));
    QCOMPARE(m_tips[0].title, LangText("msg.Msg"));
    QVERIFY(dialog.isVisible());
    Ip(dialog, "gatewayAddress")->SetText("10.0.0.254");
    dialog.findChild<QLineEdit*>("adminPasswordEdit")->setText("p w");
    dialog.findChild<QCheckBox*>("dhcpCheck")->click();
    QVERIFY(!Ip(dialog, "ipAddress")->isEnabled());
    dialog.OnOk();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), 1);
    QCOMPARE(dialog.Entry().gateway, std::string("10.0.0.254"));
    QCOMPARE(dialog.AdminPassword(), std::string("p w"));
    QCOMPARE(dialog.Entry().dhcpMode, 1);
    // With a password, OK first warns that CFG.V3 sends it unencrypted.
    QCOMPARE(m_tips.size(), 2);
    QCOMPARE(m_tips[1].text, LangText("msg.cfg_v3_clear_password"));
    QVERIFY(m_tips[1].twoButtons);

    // Cancelled: the dialog stays open with its values.
    CDlgTip::SetAnswerer([this](const TipRequest& request) {
        m_tips.append(request);
        return int(kTipCancel);
    });
    CDlgModifyNetworkNew again;
    again.SetEntry(Device(0x08, 2));
    again.show();
    again.findChild<QLineEdit*>("adminPasswordEdit")->setText("secret");
    again.OnOk();
    QVERIFY(again.isVisible());
    QCOMPARE(m_tips.size(), 3);
    again.hide();
}

void DevlistDialogsTest::loginDialogHidesTheAddressRowAndAnswersAWorker() {
    CDlgLoginLocal withAddress;
    LoginPromptRequest request;
    request.captionKey = "msg.Login";
    request.showAddress = true;
    request.address = "10.77.16.1";
    withAddress.SetRequest(request);
    QCOMPARE(withAddress.findChild<QLineEdit*>("userEdit")->text(), QString("admin"));
    QCOMPARE(withAddress.findChild<QLineEdit*>("addressEdit")->text(), QString("10.77.16.1"));
    QCOMPARE(withAddress.TitleLabel()->text(), LangText("msg.Login"));
    // The title reaches the close button.
    QCOMPARE(withAddress.TitleLabel()->geometry(), QRect(10, 10, withAddress.width() - 40, 20));
    CDlgLoginLocal batch;
    request.showAddress = false;
    request.captionKey = "msg.Login_first";
    batch.SetRequest(request);
    QVERIFY(!batch.findChild<QLineEdit*>("addressEdit")->isVisibleTo(&batch));
    QCOMPARE(batch.height(), withAddress.height() - 40);
    QCOMPARE(batch.findChild<CxSkinButton*>("okButton")->y(),
             withAddress.findChild<CxSkinButton*>("okButton")->y() - 40);
    QCOMPARE(batch.TitleLabel()->text(), LangText("msg.Login_first"));
    QVERIFY(batch.TitleLabel()->fontMetrics().horizontalAdvance(batch.TitleLabel()->text()) <=
            batch.TitleLabel()->width());
    // OK passes empty texts on unchanged.
    batch.findChild<QLineEdit*>("userEdit")->clear();
    batch.findChild<CxSkinButton*>("okButton")->click();
    QCOMPARE(batch.result(), 1);
    QCOMPARE(batch.User(), std::string());
    QCOMPARE(batch.Password(), std::string());

    // Asked from a worker, the answer is given on the window thread while
    // the worker waits.
    QWidget owner;
    DesktopLoginPrompt prompt(&owner);
    std::atomic<bool> answeredOnWindowThread{false};
    CDlgLoginLocal::SetAnswerer([&](const LoginPromptRequest&, std::string& user, std::string& password) {
        answeredOnWindowThread = QThread::currentThread() == qApp->thread();
        user = "u";
        password = "p";
        return true;
    });
    std::atomic<bool> done{false};
    std::string user;
    std::string password;
    bool ok = false;
    std::thread worker([&] {
        ok = prompt.AskCredentials(request, user, password);
        done = true;
    });
    QTRY_VERIFY(done.load());
    worker.join();
    QVERIFY(ok);
    QVERIFY(answeredOnWindowThread.load());
    QCOMPARE(user, std::string("u"));
    QCOMPARE(password, std::string("p"));
}

void DevlistDialogsTest::modelDialogKeepsNineteenBytesAndRefusesBadText() {
    CDlgModifyModel dialog;
    dialog.SetDevice("02-C0-00-00-00-09", "IPC-A");
    auto* edit = dialog.findChild<QLineEdit*>("newModelEdit");
    QCOMPARE(edit->text(), QString("IPC-A"));
    QCOMPARE(dialog.TitleLabel()->text(), LangText("tx.Modify_model"));
    edit->setText("1234567890123456789");
    QCOMPARE(edit->text().size(), 19);
    edit->insert("X");
    QCOMPARE(edit->text(), QString("1234567890123456789"));
    edit->clear();
    dialog.OnModify();
    QCOMPARE(m_tips.size(), 1);
    QCOMPARE(m_tips[0].text, LangText("msg.Err_new_model_empty"));
    edit->setText("IPC?");
    dialog.OnModify();
    QCOMPARE(m_tips.size(), 2);
    QCOMPARE(m_tips[1].text, LangText("msg.Contain_Illegal_Char"));
    QCOMPARE(m_tips[1].iconType, int(kTipIconStop));
    edit->setText("IPC-B");
    dialog.OnModify();
    QCOMPARE(dialog.result(), 1);
    QCOMPARE(dialog.NewModel(), std::string("IPC-B"));
}

QTEST_MAIN(DevlistDialogsTest)
#include "tst_devlist_dialogs.moc"
