#include "devlist/device_actions.h"

#include "devlist/device_columns.h"
#include "devlist/dlg_modify_network.h"
#include "discovery/config_sender.h"
#include "lang/tool_language.h"
#include "operate/device_actions.h"
#include "operate/device_steps.h"
#include "operate/dlg_login_local.h"
#include "operate/dlg_modify_model.h"
#include "operate/login.h"
#include "operate/open_preview.h"
#include "sdk/sdk_layout.h"
#include "session/device_session.h"
#include "ui/color_list_ctrl.h"
#include "ui/dlg_tip.h"
#include "ui/file_dialog.h"
#include "ui/lang_text.h"
#include "ui/url_opener.h"
#include "util/tool.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QThreadPool>
#include <QUrl>
#include <ctime>
#include <memory>

namespace {

constexpr int kModelCapability = 0x01;

CDeviceActions::MenuChooser& InstalledChooser() {
    static CDeviceActions::MenuChooser chooser;
    return chooser;
}

void Tip(QWidget* owner, const char* key) {
    ShowTip(owner, key, false, kTipIconInformation);
}

QAction* AddCommand(QMenu& menu, const char* key, int command) {
    QAction* action = menu.addAction(LangText(key));
    action->setData(command);
    action->setObjectName(QString::fromLatin1(key));
    return action;
}

std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

struct LoginOutcome {
    int result = -1;
    int error = 0;
    DeviceEntry entry;
};

} // namespace

CDeviceActions::CDeviceActions(QWidget* page, DeviceSession& session, CMyColorListCtrlEx* list,
                               QLabel* qrPicture, bool modifyMode)
    : QObject(page), m_page(page), m_session(session), m_list(list), m_qr(qrPicture),
      m_modifyMode(modifyMode), m_prompt(new DesktopLoginPrompt(page)) {}

CDeviceActions::~CDeviceActions() = default;

template <typename Work, typename Done> void CDeviceActions::RunOnWorker(Work work, Done done) {
    QPointer<CDeviceActions> self(this);
    QThreadPool::globalInstance()->start([self, work = std::move(work), done = std::move(done)]() mutable {
        auto result = std::make_shared<decltype(work())>(work());
        // Back on the window thread through the application object, which
        // outlives every page; the actions may be gone by then.
        QMetaObject::invokeMethod(
            qApp,
            [self, done = std::move(done), result]() mutable {
                if (self != nullptr) {
                    done(*result);
                }
            },
            Qt::QueuedConnection);
    });
}

bool CDeviceActions::RefuseWhenBusy() const {
    // A search updates the records in place when it ends: no action may
    // hand one to a worker meanwhile.
    if (m_session.IsSearching()) {
        Tip(m_page, "info.Searching_wait");
        return true;
    }
    if (m_session.IsOperationRunning()) {
        Tip(m_page, "info.Configuring_wait");
        return true;
    }
    return false;
}

void CDeviceActions::SetRunning(bool running) {
    if (!running) {
        m_lease.reset();
    } else if (!m_lease) {
        m_lease = m_session.HoldRecords();
    }
}

DeviceEntry* CDeviceActions::EntryAt(int row) const {
    if (row < 0 || row >= m_list->GetItemCount()) {
        return nullptr;
    }
    return reinterpret_cast<DeviceEntry*>(m_list->GetItemData(row));
}

DeviceEntry* CDeviceActions::EntryByMac(const std::string& mac) const {
    auto found = m_session.Devices().find(mac);
    return found == m_session.Devices().end() ? nullptr : &found->second;
}

int CDeviceActions::FirstSelectedRow() const {
    int first = -1;
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows()) {
        if (first < 0 || index.row() < first) {
            first = index.row();
        }
    }
    return first;
}

int CDeviceActions::RowOf(const std::string& mac) const {
    for (int row = 0; row < m_list->GetItemCount(); ++row) {
        const DeviceEntry* entry = EntryAt(row);
        if (entry != nullptr && entry->mac == mac) {
            return row;
        }
    }
    return -1;
}

void CDeviceActions::SetLoginCell(const std::string& mac, bool loggedIn) {
    const int row = RowOf(mac);
    if (row >= 0) {
        m_list->SetItemText(row, kColLoginState, LangText(loggedIn ? "tx.Logined" : "tx.unLogin"));
    }
}

void CDeviceActions::OnDoubleClick(int row, int column) {
    if (column == kColIp) {
        OpenWebPage(row);
    } else if (column == kColLoginState) {
        if (RefuseWhenBusy()) {
            return;
        }
        LoginThen(row, false, [this](DeviceEntry&) { SetRunning(false); });
    }
}

int CDeviceActions::SelectedRow() const {
    const int current = m_list->currentIndex().row();
    if (current >= 0 && m_list->selectionModel()->isRowSelected(current, QModelIndex())) {
        return current;
    }
    return FirstSelectedRow();
}

void CDeviceActions::ShowQrOfSelection() {
    const int row = SelectedRow();
    m_qr.Show(row < 0 ? std::string() : Tool::ToUtf8(m_list->GetItemText(row, kColCloud).toStdString()));
}

void CDeviceActions::ClearQrPicture() {
    m_qr.Clear();
}

void CDeviceActions::OnNetButton() {
    if (RefuseWhenBusy()) {
        return;
    }
    const int row = FirstSelectedRow();
    if (row < 0) {
        Tip(m_page, "msg.Sel_one_dev_first");
        return;
    }
    ChangeNetwork(row);
}

void CDeviceActions::OnExportButton() {
    if (RefuseWhenBusy()) {
        return;
    }
    const int row = FirstSelectedRow();
    if (row < 0) {
        Tip(m_page, "msg.Sel_one_dev_first");
        return;
    }
    RunCommand(kCmdExport, row, 0);
}

void CDeviceActions::FillMenu(QMenu& menu, const DeviceEntry& entry, int column) const {
    // Only what the families that found the device can do with it.
    const OperationSet& can = entry.operations;
    if (can.Has(DeviceOperation::Login)) {
        AddCommand(menu, "msg.Login", kCmdLogin);
    }
    if (can.Has(DeviceOperation::Network)) {
        AddCommand(menu, "tx.NetworkModify", kCmdNetwork);
    }
    if (entry.onvifAvailable != 0 && can.Has(DeviceOperation::Preview)) {
        QMenu* preview = menu.addMenu(LangText("tx.Preview"));
        preview->setObjectName("tx.Preview");
        AddCommand(*preview, "tx.Main_stream", kCmdMainStream);
        AddCommand(*preview, "tx.Sub_stream", kCmdSubStream);
    }
    if (can.Has(DeviceOperation::WebPage)) {
        AddCommand(menu, "tx.Open_web", kCmdOpenWeb);
    }
    if (can.Has(DeviceOperation::ConfigExport)) {
        AddCommand(menu, "tx.Export", kCmdExport);
    }
    if (m_modifyMode && (entry.capabilities & kModelCapability) != 0 &&
        can.Has(DeviceOperation::ModelChange)) {
        AddCommand(menu, "tx.Modify_model", kCmdModifyModel);
    }
    if (column != kColLoginState) {
        AddCommand(menu, "tx.Copy", kCmdCopy);
    }
}

void CDeviceActions::OnContextMenu(int row, int column, const QPoint& globalPos) {
    const DeviceEntry* entry = EntryAt(row);
    if (entry == nullptr) {
        return;
    }
    QMenu menu(m_page);
    menu.setObjectName("deviceMenu");
    FillMenu(menu, *entry, column);
    int command = 0;
    if (InstalledChooser()) {
        command = InstalledChooser()(menu);
    } else if (QAction* chosen = menu.exec(globalPos)) {
        command = chosen->data().toInt();
    }
    if (command != 0) {
        RunCommand(command, row, column);
    }
}

void CDeviceActions::RunCommand(int command, int row, int column) {
    if (RefuseWhenBusy()) {
        return;
    }
    switch (command) {
    case kCmdLogin:
        LoginThen(row, true, [this](DeviceEntry&) { SetRunning(false); });
        break;
    case kCmdNetwork:
        ChangeNetwork(row);
        break;
    case kCmdMainStream:
    case kCmdSubStream:
        LoginThen(row, false, [this, command](DeviceEntry& entry) {
            SetRunning(false);
            OpenPreview(entry, command == kCmdMainStream ? 0 : 1);
        });
        break;
    case kCmdOpenWeb:
        OpenWebPage(row);
        break;
    case kCmdExport:
        LoginThen(row, false, [this](DeviceEntry& entry) { Export(entry); });
        break;
    case kCmdModifyModel:
        LoginThen(row, false, [this](DeviceEntry& entry) { ChangeModel(entry); });
        break;
    case kCmdCopy:
        CopyCell(row, column);
        break;
    default:
        break;
    }
}

void CDeviceActions::OpenWebPage(int row) {
    if (row < 0 || row >= m_list->GetItemCount()) {
        return;
    }
    const QString url = QStringLiteral("http://%1:%2")
                            .arg(m_list->GetItemText(row, kColIp), m_list->GetItemText(row, kColHttpPort));
    if (!UrlOpener::Open(QUrl(url))) {
        // No browser is set up (or none started): say so, with the address.
        const std::string text =
            Tool::FormatText(LangText("info.Open_web_fail").toStdString(), url.toStdString());
        ShowTipText(m_page, QString::fromStdString(text), false, kTipIconInformation);
    }
}

void CDeviceActions::CopyCell(int row, int column) {
    if (row < 0 || row >= m_list->GetItemCount()) {
        return;
    }
    QApplication::clipboard()->setText(m_list->GetItemText(row, column));
}

void CDeviceActions::ShowLoginFailure(int error) {
    std::string reason;
    const int index = LoginErrorTextIndex(error);
    if (index >= 0) {
        Tool::LoginErrorText(index, reason);
    }
    const std::string text = Tool::FormatText(LangText("info.login_fail_s").toStdString(), reason);
    ShowTipText(m_page, QString::fromStdString(text), false, kTipIconInformation);
}

void CDeviceActions::LoginThen(int row, bool alreadyIsAnError, std::function<void(DeviceEntry& entry)> next) {
    DeviceEntry* entry = EntryAt(row);
    if (entry == nullptr) {
        ShowLoginFailure(0);
        return;
    }
    if (entry->loggedIn != 0) {
        // LoginDevice's answer for a logged-in device, without a thread.
        if (alreadyIsAnError) {
            Tip(m_page, "msg.Already_logined");
            return;
        }
        SetRunning(true);
        next(*entry);
        return;
    }
    SetRunning(true);
    const std::string mac = entry->mac;
    DesktopLoginPrompt* prompt = m_prompt;
    RunOnWorker(
        [copy = *entry, prompt]() mutable {
            LoginOutcome outcome;
            outcome.result = LoginDevice(&copy, *prompt, outcome.error);
            outcome.entry = std::move(copy);
            return outcome;
        },
        [this, mac, next = std::move(next)](const LoginOutcome& outcome) {
            DeviceEntry* target = EntryByMac(mac);
            if (outcome.result == -2 || target == nullptr) {
                SetRunning(false);
                return;
            }
            if (outcome.result != 1) {
                SetLoginCell(mac, false);
                SetRunning(false);
                ShowLoginFailure(outcome.error);
                return;
            }
            target->loginHandle = outcome.entry.loginHandle;
            target->loggedIn = outcome.entry.loggedIn;
            target->loginUser = outcome.entry.loginUser;
            target->loginPassword = outcome.entry.loginPassword;
            SetLoginCell(mac, true);
            next(*target);
        });
}

void CDeviceActions::ChangeNetwork(int row) {
    DeviceEntry* entry = EntryAt(row);
    if (entry == nullptr) {
        Tip(m_page, "info.operate_fail");
        return;
    }
    DeviceEntry request;
    request.mac = entry->mac;
    request.ip = entry->ip;
    request.gateway = entry->gateway;
    request.mask = entry->mask;
    request.dns1 = entry->dns1;
    request.dns2 = entry->dns2;
    request.dhcpMode = entry->dhcpMode;
    request.capabilities = entry->capabilities;
    DeviceEntry changed;
    if (CDlgModifyNetworkNew::Ask(m_page, request, changed) != 1) {
        return;
    }
    // The dialog ran a modal loop: another page may have started something.
    if (RefuseWhenBusy()) {
        return;
    }
    SetRunning(true);
    ConfigSenderOptions options;
    options.endpoints = m_session.Endpoints();
    const bool viaV3 = changed.AcceptsConfigV3();
    RunOnWorker([changed, options]() { return SendNetworkConfig(changed, options); },
                [this, changed, viaV3](int result) {
                    SetRunning(false);
                    if (result != kConfigSuccess) {
                        Tip(m_page, result == kConfigTimeout ? "info.operate_timeout" : "info.operate_fail");
                        return;
                    }
                    DeviceEntry* target = EntryByMac(changed.mac);
                    if (target != nullptr) {
                        CopyNetworkValues(*target, changed, viaV3);
                        // The login is given up at once; its handle is logged
                        // out at the next search.
                        m_session.ParkLoginAfterNetworkChange(*target);
                        target->loggedIn = 0;
                        target->loginHandle = 0;
                        const int targetRow = RowOf(changed.mac);
                        if (targetRow >= 0) {
                            m_list->SetItemText(targetRow, kColIp, QString::fromStdString(target->ip));
                            m_list->SetItemText(targetRow, kColLoginState, LangText("tx.unLogin"));
                        }
                    }
                    Tip(m_page, "info.operate_success");
                });
}

void CDeviceActions::Export(DeviceEntry& entry) {
    const std::string mac = entry.mac;
    const int handle = entry.loginHandle;
    RunOnWorker([handle]() { return QueryFirmwareVersion(handle); },
                [this, mac](const std::string& version) { SaveExport(mac, version); });
}

void CDeviceActions::SaveExport(const std::string& mac, const std::string& version) {
    FileDialogRequest request;
    request.save = true;
    if (const DeviceEntry* shown = EntryByMac(mac)) {
        request.name =
            QString::fromStdString(ProposeExportName(version, shown->model, shown->ip, LocalNow()));
    }
    request.filter = QStringLiteral("coi Files (*.coi)");
    QString path = FileDialog::Ask(m_page, request);
    // A name typed without an extension gets the default one.
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty()) {
        path += QStringLiteral(".coi");
    }
    DeviceEntry* entry = EntryByMac(mac);
    if (path.isEmpty() || entry == nullptr) {
        SetRunning(false);
        return;
    }
    const int handle = entry->loginHandle;
    RunOnWorker([handle, file = path.toStdString()]() { return ExportConfiguration(handle, file); },
                [this](int result) {
                    SetRunning(false);
                    Tip(m_page, result == 1 ? "info.operate_success" : "info.operate_fail");
                });
}

void CDeviceActions::ChangeModel(DeviceEntry& entry) {
    std::string newModel;
    if (!CDlgModifyModel::Ask(m_page, entry.mac, entry.model, newModel)) {
        SetRunning(false);
        return;
    }
    const std::string mac = entry.mac;
    RunOnWorker(
        [copy = entry, newModel]() mutable {
            const int result = ::ChangeModel(copy, newModel);
            return std::make_pair(result, copy.model);
        },
        [this, mac](const std::pair<int, std::string>& outcome) {
            SetRunning(false);
            DeviceEntry* target = EntryByMac(mac);
            if (outcome.first != 1 || target == nullptr) {
                Tip(m_page, "info.operate_fail");
                return;
            }
            target->model = outcome.second;
            const int row = RowOf(mac);
            if (row >= 0) {
                m_list->SetItemText(row, kColModel, QString::fromStdString(target->model));
            }
            Tip(m_page, "info.operate_success");
        });
}

void CDeviceActions::OpenPreview(DeviceEntry& entry, int stream) {
    // The preview window shows its own failures and keeps the login open.
    ::OpenPreview(m_page->window(), m_session, entry,
                  stream == 0 ? sdklayout::kMainStream : sdklayout::kSubStream);
}

void CDeviceActions::SetMenuChooser(MenuChooser chooser) {
    InstalledChooser() = std::move(chooser);
}
