#include "devlist/device_actions.h"

#include "devlist/device_columns.h"
#include "devlist/device_commands.h"
#include "operate/dlg_login_local.h"
#include "session/device_session.h"
#include "ui/color_list_ctrl.h"
#include "ui/dlg_tip.h"
#include "ui/lang_text.h"
#include "util/tool.h"

#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <map>

namespace {

CDeviceActions::MenuChooser& InstalledChooser() {
    static CDeviceActions::MenuChooser chooser;
    return chooser;
}

} // namespace

CDeviceActions::CDeviceActions(QWidget* page, DeviceSession& session, CMyColorListCtrlEx* list,
                               QLabel* qrPicture, bool modifyMode)
    : QObject(page), m_page(page), m_session(session), m_list(list), m_qr(qrPicture),
      m_modifyMode(modifyMode), m_prompt(new DesktopLoginPrompt(page)) {}

CDeviceActions::~CDeviceActions() = default;

void CDeviceActions::Tip(const char* key) const {
    ShowTip(m_page, key, false, kTipIconInformation);
}

bool CDeviceActions::RefuseWhenBusy() const {
    // A search updates the records in place when it ends: no action may
    // hand one to a worker meanwhile.
    if (const char* refusal = m_session.SearchRefusal()) {
        Tip(refusal);
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
    return m_session.FindRecord(mac);
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
    const DeviceEntry* record = EntryByMac(mac);
    for (int row = 0; row < m_list->GetItemCount(); ++row) {
        const DeviceEntry* entry = EntryAt(row);
        if (entry != nullptr && entry == record) {
            return row;
        }
    }
    return -1;
}

void CDeviceActions::OnDoubleClick(int row, int column) {
    if (column == kColIp) {
        RunOpenWeb(*this, row, column);
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
        Tip("msg.Sel_one_dev_first");
        return;
    }
    RunCommand(kCmdNetwork, row, 0);
}

void CDeviceActions::OnExportButton() {
    if (RefuseWhenBusy()) {
        return;
    }
    const int row = FirstSelectedRow();
    if (row < 0) {
        Tip("msg.Sel_one_dev_first");
        return;
    }
    RunCommand(kCmdExport, row, 0);
}

void CDeviceActions::FillMenu(QMenu& menu, const DeviceEntry& entry, int column) const {
    std::map<std::string, QMenu*> submenus;
    for (const DeviceCommandSpec& command : DeviceCommands()) {
        if (!command.applies(entry, column, m_modifyMode)) {
            continue;
        }
        QMenu* into = &menu;
        if (command.submenuKey != nullptr) {
            QMenu*& submenu = submenus[command.submenuKey];
            if (submenu == nullptr) {
                submenu = menu.addMenu(LangText(command.submenuKey));
                submenu->setObjectName(QString::fromLatin1(command.submenuKey));
            }
            into = submenu;
        }
        QAction* action = into->addAction(LangText(command.key));
        action->setData(command.id);
        action->setObjectName(QString::fromLatin1(command.key));
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
    if (const DeviceCommandSpec* spec = FindDeviceCommand(command)) {
        spec->run(*this, row, column);
    }
}

void CDeviceActions::SetMenuChooser(MenuChooser chooser) {
    InstalledChooser() = std::move(chooser);
}
