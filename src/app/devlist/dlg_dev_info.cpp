#include "devlist/dlg_dev_info.h"

#include "config/app_config.h"
#include "devlist/device_actions.h"
#include "devlist/device_columns.h"
#include "devlist/dlg_add_address.h"
#include "session/device_session.h"
#include "session/search_scheduler.h"
#include "ui/color_list_ctrl.h"
#include "ui/dlg_tip.h"
#include "ui/lang_text.h"
#include "ui/shared_look.h"
#include "ui/skin_button.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QSet>
#include <QStringList>
#include <QTimer>
#include <algorithm>

namespace {

static_assert(kDevInfoColumnCount == kDeviceColumnCount);

// Long enough that a drag, which resizes many times, is saved once.
constexpr int kWidthSaveDelayMs = 400;
constexpr int kQrPictureSize = 140;

bool MaskHas(uint32_t mask, int column) {
    return ((mask >> column) & 1U) != 0;
}

} // namespace

RowTexts CDlgDevInfo::CurrentRowTexts() const {
    return RowTexts{LangText("tx.Logined"), LangText("tx.unLogin"), &m_session.Logins(),
                    LangText("tx.Family_native")};
}

CDlgDevInfo::CDlgDevInfo(QWidget* parent, DeviceSession& session, const QFont& countFont, bool modifyMode,
                         uint32_t columnMask, AppConfig* config)
    : CPage(parent), m_session(session), m_modifyMode(modifyMode), m_columnMask(columnMask),
      m_sortStates(kDeviceColumnCount, 1), m_config(config),
      m_columnWidths(config != nullptr ? config->DevInfoWidths : std::vector<int>()),
      m_widthSaveTimer(new QTimer(this)), m_list(new CMyColorListCtrlEx(this)),
      m_findEdit(new QLineEdit(this)), m_find(new CxSkinButton(this)), m_all(new CxSkinButton(this)),
      m_net(new CxSkinButton(this)), m_export(new CxSkinButton(this)), m_addAddress(new CxSkinButton(this)),
      m_search(new CxSkinButton(this)), m_countCaption(new QLabel(this)), m_count(new QLabel(this)),
      m_qrPicture(new QLabel(this)), m_separator(new QLabel(this)), m_separator2(new QLabel(this)) {
    setObjectName("devInfoPage");
    m_list->setObjectName("deviceList");
    m_findEdit->setObjectName("findEdit");
    m_find->setObjectName("findButton");
    m_all->setObjectName("allButton");
    m_net->setObjectName("netButton");
    m_export->setObjectName("exportButton");
    m_addAddress->setObjectName("addAddressButton");
    m_search->setObjectName("searchButton");
    m_countCaption->setObjectName("countCaption");
    m_count->setObjectName("countLabel");
    m_qrPicture->setObjectName("qrPicture");
    for (CxSkinButton* button : {m_find, m_all, m_net, m_export, m_addAddress, m_search}) {
        button->SetSkin(look::kButtonSkin);
    }
    m_qrPicture->hide();
    m_qrPicture->setAlignment(Qt::AlignCenter);
    m_actions = new CDeviceActions(this, session, m_list, m_qrPicture, modifyMode);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_count->setFont(countFont);
    m_count->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_countCaption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (QLabel* line : {m_separator, m_separator2}) {
        line->setFrameShape(QFrame::VLine);
        line->setFrameShadow(QFrame::Sunken);
    }

    for (int column = 0; column < kDeviceColumnCount; ++column) {
        const DeviceColumnSpec& spec = kDeviceColumns[static_cast<std::size_t>(column)];
        m_list->InsertColumn(column, LangText(spec.headerKey), Qt::AlignCenter, spec.width);
    }
    m_columnWidths.resize(kDeviceColumnCount, 0);
    ApplyColumnWidths();
    m_widthSaveTimer->setSingleShot(true);
    m_widthSaveTimer->setInterval(kWidthSaveDelayMs);
    connect(m_widthSaveTimer, &QTimer::timeout, this, &CDlgDevInfo::SaveColumnWidths);
    connect(m_list->Header(), &QHeaderView::sectionResized, this,
            [this](int column, int /*oldWidth*/, int newWidth) { OnColumnResized(column, newWidth); });

    connect(m_find, &CxSkinButton::clicked, this, &CDlgDevInfo::Find);
    connect(m_all, &CxSkinButton::clicked, this, &CDlgDevInfo::ShowAll);
    connect(m_search, &CxSkinButton::clicked, this, [this] { SearchRequest(); });
    connect(m_list, &CMyColorListCtrlEx::ColumnClicked, this, &CDlgDevInfo::SortByColumn);
    connect(m_net, &CxSkinButton::clicked, m_actions, &CDeviceActions::OnNetButton);
    connect(m_export, &CxSkinButton::clicked, m_actions, &CDeviceActions::OnExportButton);
    connect(m_addAddress, &CxSkinButton::clicked, this, &CDlgDevInfo::OpenAddByAddress);
    // The QR picture follows the selection: clicks (either button), keys,
    // a click on empty space, and rows filtered out or removed.
    const auto followSelection = [this] { UpdateQrPicture(); };
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this, followSelection);
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this, followSelection);
    connect(m_list->model(), &QAbstractItemModel::modelReset, this, followSelection);
    connect(m_list->model(), &QAbstractItemModel::rowsRemoved, this, followSelection);
    connect(m_list->model(), &QAbstractItemModel::dataChanged, this, followSelection);
    connect(m_list, &QAbstractItemView::doubleClicked, m_actions,
            [this](const QModelIndex& index) { m_actions->OnDoubleClick(index.row(), index.column()); });
    connect(m_list, &QWidget::customContextMenuRequested, m_actions, [this](const QPoint& position) {
        const QModelIndex index = m_list->indexAt(position);
        if (index.isValid()) {
            m_actions->OnContextMenu(index.row(), index.column(), m_list->viewport()->mapToGlobal(position));
        }
    });
    connect(&m_session, &DeviceSession::SearchStarted, this, &CDlgDevInfo::OnSearchStart);
    connect(&m_session, &DeviceSession::SearchFinished, this, &CDlgDevInfo::RebuildAfterSearch);
    connect(&m_session, &DeviceSession::QuietSearchStarted, this, [this] { OnQuietSearch(true); });
    connect(&m_session, &DeviceSession::QuietSearchFinished, this, [this] { OnQuietSearch(false); });
    connect(&m_session, &DeviceSession::ProbeStarted, this, [this] { OnQuietSearch(true); });
    connect(&m_session, &DeviceSession::ProbeFinished, this, [this] { OnQuietSearch(false); });
    connect(&m_session, &DeviceSession::DevicesAdded, this, &CDlgDevInfo::OnDevicesAdded);
    connect(&m_session, &DeviceSession::DevicesChanged, this, &CDlgDevInfo::OnDevicesChanged);
    connect(&m_session, &DeviceSession::DevicesRemoving, this, &CDlgDevInfo::OnDevicesRemoving);
    connect(&m_session, &DeviceSession::RecordsChanged, this, &CDlgDevInfo::OnRecordsChanged);
    connect(&m_session, &DeviceSession::LoginStateChanged, this, &CDlgDevInfo::ShowLoginState);

    OnLanguageChanged();
    UpdateCount();
    OnRelayout();
}

void CDlgDevInfo::OnLanguageChanged() {
    const std::pair<CxSkinButton*, const char*> buttons[] = {
        {m_find, "tx.Find"},
        {m_all, "tx.All"},
        {m_net, "tx.NetworkModify"},
        {m_export, "tx.Export"},
        {m_addAddress, "tx.Add_by_address"},
        {m_search, "tx.Search"},
    };
    for (const auto& [button, key] : buttons) {
        button->SetCaption(LangText(key));
        button->SetTooltip(LangText(key));
    }
    m_countCaption->setText(LangText("tx.dev_num_descri"));
    for (int column = 0; column < kDeviceColumnCount; ++column) {
        m_list->SetColumnText(column, LangText(kDeviceColumns[static_cast<std::size_t>(column)].headerKey));
    }
    // The cells whose texts come from the language.
    const RowTexts texts = CurrentRowTexts();
    for (int row = 0; row < m_list->GetItemCount(); ++row) {
        if (const DeviceEntry* entry = EntryAt(row)) {
            for (const int column : {kColLoginState, kColFamily}) {
                m_list->SetItemText(row, column, CellText(*entry, column, texts));
            }
        }
    } // The diagnoses' reasons.
    m_diagnoses.Retint(*m_list->Model());
}

void CDlgDevInfo::OnRelayout() {
    const int w = width();
    const int h = height();
    m_findEdit->setGeometry(10, 11, 160, 26);
    m_find->setGeometry(176, 10, 80, 28);
    m_all->setGeometry(262, 10, 80, 28);
    m_separator->setGeometry(352, 14, 2, 20);
    m_net->setGeometry(364, 10, 130, 28);
    m_export->setGeometry(500, 10, 100, 28);
    m_addAddress->setGeometry(606, 10, 130, 28);
    // The caption ends where it always did and starts after the buttons.
    const int captionLeft = std::max(742, w - 376);
    m_countCaption->setGeometry(captionLeft, 12, std::max(0, w - 196 - captionLeft), 24);
    m_count->setGeometry(w - 190, 6, 80, 36);
    m_separator2->setGeometry(w - 106, 14, 2, 20);
    m_search->setGeometry(w - 96, 10, 86, 28);
    // The QR picture stands beside the list, never over it (the login
    // column is the list's last).
    const int pictureRoom = m_qrPicture->isHidden() ? 0 : kQrPictureSize + 10;
    m_list->setGeometry(10, 48, std::max(0, w - 20 - pictureRoom), std::max(0, h - 58));
    m_qrPicture->setGeometry(w - 10 - kQrPictureSize, 48, kQrPictureSize, kQrPictureSize);
}

void CDlgDevInfo::OpenAddByAddress() {
    auto* dialog = new CDlgAddAddress(this, m_session);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void CDlgDevInfo::UpdateQrPicture() {
    const bool wasHidden = m_qrPicture->isHidden();
    m_actions->ShowQrOfSelection();
    if (wasHidden != m_qrPicture->isHidden()) {
        OnRelayout();
    }
}

void CDlgDevInfo::OnSearchStart() {
    m_list->DeleteAllItems();
    m_showsAll = false;
    m_findText.clear();
    ResetSort();
    m_count->setText(QStringLiteral("0"));
    m_search->SetForcedLook(kLookDisabled);
    m_search->setEnabled(false);
}

void CDlgDevInfo::OnSearchEnd() {
    // The rows came in as the devices answered and were updated in place
    // by the search's end; only a list that missed some builds them now.
    m_search->SetForcedLook(kLookNone);
    m_search->setEnabled(true);
    if (static_cast<std::size_t>(m_list->GetItemCount()) != m_session.Devices().size()) {
        Rebuild();
        return;
    }
    Renumber();
    UpdateCount();
}

void CDlgDevInfo::ResetSort() {
    std::fill(m_sortStates.begin(), m_sortStates.end(), 1);
    ShowKeyOrder();
}

void CDlgDevInfo::ShowKeyOrder() {
    m_sortColumn = -1;
    m_list->header()->setSortIndicatorShown(false);
}

void CDlgDevInfo::OnQuietSearch(bool running) {
    m_search->SetForcedLook(running ? kLookDisabled : kLookNone);
    m_search->setEnabled(!running);
}

ListRow CDlgDevInfo::RowFor(const DeviceEntry& entry, int number) const {
    ListRow row = MakeDeviceRow(entry, number, CurrentRowTexts());
    row.greyed = m_session.IsMissing(DeviceKey(entry));
    m_diagnoses.Apply(row, entry);
    return row;
}

void CDlgDevInfo::RetintRows() {
    m_diagnoses.Update(m_session.Devices());
    m_diagnoses.Retint(*m_list->Model());
}

int CDlgDevInfo::InsertPosition(const DeviceEntry& entry) const {
    // Rows are in key order until a header click sorts them; a new row
    // goes after every row that does not order after it.
    const auto before = [this, &entry](const DeviceEntry& shown) {
        if (m_sortColumn < 0) {
            return DeviceKey(entry) < DeviceKey(shown);
        }
        const LoginTable& logins = m_session.Logins();
        return m_sortAscending ? DeviceColumnLess(m_sortColumn, entry, shown, logins)
                               : DeviceColumnLess(m_sortColumn, shown, entry, logins);
    };
    int low = 0;
    int high = m_list->GetItemCount();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (before(*EntryAt(middle))) {
            high = middle;
        } else {
            low = middle + 1;
        }
    }
    return low;
}

void CDlgDevInfo::OnDevicesAdded(const QStringList& macs) {
    const DeviceTable& devices = m_session.Devices();
    for (const QString& mac : macs) {
        const auto found = devices.find(mac.toStdString());
        if (found == devices.end() ||
            (!m_findText.empty() && !DeviceMatchesFind(found->second, m_findText, m_columnMask))) {
            continue;
        }
        m_list->Model()->InsertRow(InsertPosition(found->second), RowFor(found->second, 0));
    }
    RetintRows();
    Renumber();
    UpdateCount();
}

void CDlgDevInfo::OnDevicesChanged(const QStringList& macs) {
    const QSet<QString> changed(macs.begin(), macs.end());
    for (int row = 0; row < m_list->GetItemCount(); ++row) {
        const DeviceEntry* entry = EntryAt(row);
        if (entry != nullptr && changed.contains(QString::fromStdString(DeviceKey(*entry)))) {
            m_list->Model()->SetRow(row, RowFor(*entry, row + 1));
        }
    }
    RetintRows();
}

void CDlgDevInfo::OnDevicesRemoving(const QStringList& macs) {
    const QSet<QString> removing(macs.begin(), macs.end());
    for (int row = m_list->GetItemCount() - 1; row >= 0; --row) {
        const DeviceEntry* entry = EntryAt(row);
        if (entry != nullptr && removing.contains(QString::fromStdString(DeviceKey(*entry)))) {
            m_list->DeleteItem(row);
        }
    }
    // The records go once every holder let go of them: the others' looks
    // are worked out after that.
    QTimer::singleShot(0, this, [this] { RetintRows(); });
    Renumber();
    UpdateCount();
}

void CDlgDevInfo::OnColumnMask(uint32_t mask) {
    if (mask < 2 || mask == m_columnMask) {
        return;
    }
    m_columnMask = mask;
    ApplyColumnWidths();
}

void CDlgDevInfo::ApplyColumnWidths() {
    // A hidden column takes no room and cannot be dragged open: only the shown
    // columns (and the row number) are resizable.
    m_applyingWidths = true;
    m_list->SetResizableMask(m_columnMask | 1U);
    for (int column = 0; column < kDeviceColumnCount; ++column) {
        const bool visible = column == kColNo || MaskHas(m_columnMask, column);
        m_list->setColumnHidden(column, !visible);
        if (visible) {
            const int saved = m_columnWidths[static_cast<std::size_t>(column)];
            m_list->SetColumnWidth(
                column, saved > 0 ? saved : kDeviceColumns[static_cast<std::size_t>(column)].width);
        }
    }
    m_applyingWidths = false;
}

void CDlgDevInfo::OnColumnResized(int column, int newWidth) {
    if (m_applyingWidths || column < 0 || column >= kDeviceColumnCount || m_list->isColumnHidden(column) ||
        newWidth <= 0) {
        return;
    }
    m_columnWidths[static_cast<std::size_t>(column)] =
        std::clamp(newWidth, kMinDevInfoWidth, kMaxDevInfoWidth);
    if (m_config != nullptr) {
        m_widthSaveTimer->start();
    }
}

void CDlgDevInfo::SavePendingWidths() {
    if (m_widthSaveTimer->isActive()) {
        m_widthSaveTimer->stop();
        SaveColumnWidths();
    }
}

void CDlgDevInfo::SaveColumnWidths() {
    // A small file written in place of the old one: quick enough for the
    // window's thread, and never the network's.
    SaveDevInfoWidths(*m_config, m_columnWidths);
}

void CDlgDevInfo::OnRecordsChanged() {
    const RowTexts texts = CurrentRowTexts();
    for (int row = 0; row < m_list->GetItemCount(); ++row) {
        const DeviceEntry* entry = EntryAt(row);
        if (entry == nullptr) {
            continue;
        }
        for (const int column : {kColTcpPort, kColHttpPort, kColDevTime}) {
            m_list->SetItemText(row, column, CellText(*entry, column, texts));
        }
        if (entry->onvifAvailable != 0) {
            m_list->SetItemText(row, kColOnvifPort, QString::number(entry->webPort));
        }
    }
}

void CDlgDevInfo::ShowLoginState(const QString& mac) {
    // Drawn from the login table, which may have changed again since.
    const std::string key = mac.toStdString();
    for (int row = 0; row < m_list->GetItemCount(); ++row) {
        const DeviceEntry* entry = EntryAt(row);
        if (entry != nullptr && DeviceKey(*entry) == key) {
            m_list->SetItemText(row, kColLoginState, CellText(*entry, kColLoginState, CurrentRowTexts()));
            return;
        }
    }
}

void CDlgDevInfo::SearchRequest() {
    const SearchStart start = m_session.RequestSearch(SearchTrigger::Page);
    if (!start) {
        ShowTip(this, start.refusal, false, kTipIconInformation);
        return;
    }
    m_actions->ClearQrPicture();
    OnRelayout();
}

void CDlgDevInfo::Find() {
    const QString text = m_findEdit->text();
    if (text.isEmpty()) {
        return;
    }
    const std::string needle = text.toStdString();
    std::vector<const DeviceEntry*> hits;
    for (const auto& [mac, entry] : m_session.Devices()) {
        if (DeviceMatchesFind(entry, needle, m_columnMask)) {
            hits.push_back(&entry);
        }
    }
    SetRows(hits);
    m_showsAll = hits.size() == m_session.Devices().size();
    m_findText = m_showsAll ? std::string() : needle;
}

void CDlgDevInfo::ShowAll() {
    if (m_showsAll) {
        return;
    }
    Rebuild();
    m_showsAll = true;
    m_findText.clear();
}

void CDlgDevInfo::Rebuild() {
    std::vector<const DeviceEntry*> entries;
    entries.reserve(m_session.Devices().size());
    for (const auto& [mac, entry] : m_session.Devices()) {
        entries.push_back(&entry);
    }
    SetRows(entries);
}

void CDlgDevInfo::SetRows(const std::vector<const DeviceEntry*>& entries) {
    m_diagnoses.Update(m_session.Devices());
    std::vector<ListRow> rows;
    rows.reserve(entries.size());
    int number = 1;
    for (const DeviceEntry* entry : entries) {
        rows.push_back(RowFor(*entry, number++));
    }
    // A rebuilt list is in key order again.
    ShowKeyOrder();
    m_list->SetAllItems(std::move(rows));
    UpdateCount();
}

void CDlgDevInfo::SortByColumn(int column) {
    if (column <= kColNo || column >= kDeviceColumnCount) {
        return;
    }
    int& state = m_sortStates[static_cast<std::size_t>(column)];
    const bool ascending = state == 1;
    state = ascending ? 2 : 1;
    m_sortColumn = column;
    m_sortAscending = ascending;
    m_list->header()->setSortIndicator(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    m_list->header()->setSortIndicatorShown(true);
    const LoginTable& logins = m_session.Logins();
    m_list->SortItems([column, ascending, &logins](const ListRow& a, const ListRow& b) {
        const DeviceEntry* left = RowEntry(a);
        const DeviceEntry* right = RowEntry(b);
        return ascending ? DeviceColumnLess(column, *left, *right, logins)
                         : DeviceColumnLess(column, *right, *left, logins);
    });
    Renumber();
}

void CDlgDevInfo::Renumber() {
    for (int row = 0; row < m_list->GetItemCount(); ++row) {
        m_list->SetItemText(row, kColNo, QString::number(row + 1));
    }
}

void CDlgDevInfo::UpdateCount() {
    m_count->setText(QString::number(m_list->GetItemCount()));
}

const DeviceEntry* CDlgDevInfo::EntryAt(int row) const {
    return reinterpret_cast<const DeviceEntry*>(m_list->GetItemData(row));
}

void CDlgDevInfo::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
}

void CDlgDevInfo::resizeEvent(QResizeEvent* event) {
    CPage::resizeEvent(event);
    OnRelayout();
}
